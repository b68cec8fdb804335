#include "AboutDialog.h"

#include "DialogFont.h"
#include "DialogSize.h"
#include "HelpPage.h"
#include "QtPictures.h"
#include "TopMost.h"
#include "about/AboutTexts.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <utility>

#ifndef MORVATEL_VERSION_MAJOR
#error "the build passes the product values"
#endif

namespace {

const QColor kLinkColour(0x00, 0x00, 0xFF);
const QColor kVisitedColour(0x88, 0x00, 0x88);

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// A label that reports a click of the left button (pressed and released
// over it), with the pointing hand over it.
class LinkLabel : public QLabel {
public:
    LinkLabel(QWidget* parent, std::function<void()> clicked)
        : QLabel(parent), clicked_(std::move(clicked)) {
        setCursor(Qt::PointingHandCursor);
        QFont underlined = font();
        underlined.setUnderline(true);
        setFont(underlined);
        SetTextColour(this, kLinkColour);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        pressed_ = event->button() == Qt::LeftButton;
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        const bool click = pressed_ && event->button() == Qt::LeftButton &&
                           rect().contains(event->position().toPoint());
        pressed_ = false;
        if (click) {
            clicked_();
        }
    }

private:
    std::function<void()> clicked_;
    bool pressed_ = false;
};

// The etched rule: a grey line with a white one just below it, one pixel
// further right, as the designed box draws it.
class EtchedRule : public QWidget {
public:
    explicit EtchedRule(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const int thickness = height() / 2;
        painter.fillRect(0, 0, width(), thickness, QColor(0x80, 0x80, 0x80));
        painter.fillRect(thickness, thickness, width() - thickness, thickness, Qt::white);
    }
};

QLabel* Label(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

AboutDialog::Product AboutDialog::BuiltProduct() {
    return Product{MORVATEL_VERSION_MAJOR,
                   MORVATEL_VERSION_MINOR,
                   MORVATEL_VERSION_PATCH,
                   QString::fromUtf8(MORVATEL_LEGAL),
                   QString::fromUtf8(MORVATEL_HOMEPAGE),
                   QString::fromUtf8(MORVATEL_EMAIL)};
}

AboutDialog::AboutDialog(const SettingsRecord& settings, const Product& product, QWidget* clock)
    : QDialog(clock, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    const QString title = QStringLiteral("Morvatel");
    setWindowTitle(title + QStringLiteral(" のバージョン情報"));
    setFont(DialogFont());

    picIcon = Label(this, QStringLiteral("picIcon"), {});
    lblTitle = Label(this, QStringLiteral("lblTitle"), title);
    lblVersion = Label(this, QStringLiteral("lblVersion"),
                       QString::fromStdString(AboutTexts::VersionText(product.major, product.minor,
                                                                      product.revision)));
    lblDescription = Label(this, QStringLiteral("lblDescription"), product.legal);
    lblNTP_UTCOffset =
        Label(this, QStringLiteral("lblNTP_UTCOffset"),
              QString::fromStdString(AboutTexts::UTCOffsetText(settings.NTP_UTCOffset)));
    Line1 = new EtchedRule(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    lblURLCaption = Label(this, QStringLiteral("lblURLCaption"), QStringLiteral("URL:"));
    lblEMailCaption = Label(this, QStringLiteral("lblEMailCaption"), QStringLiteral("E-Mail:"));

    // Without a web page of its own the product points at its help page.
    if (product.homepage.isEmpty()) {
        targets_[0] = QUrl::fromLocalFile(HelpPagePath());
    } else {
        targets_[0] = QUrl::fromUserInput(product.homepage);
    }
    targets_[1] = QUrl(QStringLiteral("mailto:") + product.email);
    const std::array<QString, 2> shown{
        product.homepage.isEmpty() ? targets_[0].toString() : product.homepage, product.email};
    for (int i = 0; i < 2; ++i) {
        auto* link = new LinkLabel(this, [this, i] { FollowLink(i); });
        link->setObjectName(QStringLiteral("lblURL"));
        link->setProperty("index", i);
        link->setTextFormat(Qt::PlainText);
        link->setText(shown[static_cast<std::size_t>(i)]);
        lblURL[static_cast<std::size_t>(i)] = link;
    }
    // No address is better than an invented one.
    const bool hasEmail = !product.email.isEmpty();
    lblEMailCaption->setVisible(hasEmail);
    lblURL[1]->setVisible(hasEmail);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    // Only the button takes the keyboard, so it is first in the tab order.
    for (QLabel* label : findChildren<QLabel*>()) {
        label->setFocusPolicy(Qt::NoFocus);
    }
    LayOut(clock != nullptr && clock->screen() != nullptr ? clock->screen()
                                                          : QGuiApplication::primaryScreen());
    cmdOK->setFocus();
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::FollowLink(int index) {
    QLabel* link = lblURL.at(static_cast<std::size_t>(index));
    SetTextColour(link, kVisitedColour);
    // The new colour shows before the browser or mail program takes its time.
    repaint();
    // A target that cannot be opened shows nothing but the colour.
    Q_EMIT linkActivated(targets_.at(static_cast<std::size_t>(index)));
}

void AboutDialog::LayOut(const QScreen* screen) {
    // The designed places at 96 dpi are the least each control gets; a font
    // that needs more room moves what follows it right or down.
    const double scale = DialogSize::LogicalDpi(screen) / 96.0;
    auto px = [scale](int pixels) { return static_cast<int>(std::lround(pixels * scale)); };
    // A link or notice longer than this is cut in the middle (and shown whole
    // in its tooltip) rather than pushing the box off the screen.
    const int widest = std::max(px(382), screen != nullptr ? DialogSize::WrapWidth(screen) : 0);

    const int iconSize = px(32);
    picIcon->setGeometry(px(16), px(16), iconSize, iconSize);
    picIcon->setPixmap(ProgramIcon().pixmap(QSize(iconSize, iconSize), devicePixelRatio()));

    int right = px(382);
    auto place = [&](QLabel* label, int x, int y, int minWidth, int minHeight, int beside = 0) {
        const QSize hint = label->sizeHint();
        const int room = widest - x - px(8) - beside;
        if (hint.width() > room) {
            label->setToolTip(label->text());
            label->setText(label->fontMetrics().elidedText(label->text(), Qt::ElideMiddle, room));
        }
        label->setGeometry(x, y, std::max(minWidth, std::min(hint.width(), room)),
                           std::max(minHeight, hint.height()));
        return label->geometry();
    };
    const QRect title = place(lblTitle, px(72), px(16), px(259), px(24));
    const QRect version =
        place(lblVersion, px(72), std::max(px(40), title.bottom() + 1), px(259), px(15));
    const QRect legal =
        place(lblDescription, px(72), std::max(px(75), version.bottom() + px(8)), 0, 0);
    const QRect zone =
        place(lblNTP_UTCOffset, px(72), std::max(px(104), legal.bottom() + px(8)), 0, 0);
    for (const QRect& r : {title, version, legal, zone}) {
        right = std::max(right, r.right() + 1 + px(16));
    }

    const int ruleY = std::max(px(163), zone.bottom() + 1 + px(16));
    const int rowY = ruleY + px(13);
    const int rowStep = std::max(px(16), lblURLCaption->sizeHint().height() + 1);
    const int linkX = std::max(px(48), px(8) +
                                           std::max(lblURLCaption->sizeHint().width(),
                                                    lblEMailCaption->sizeHint().width()) +
                                           px(6));
    place(lblURLCaption, px(8), rowY, 0, 0);
    place(lblEMailCaption, px(8), rowY + rowStep, 0, 0);
    // The links share their rows with the button.
    const QSize button(std::max(px(92), cmdOK->sizeHint().width()),
                       std::max(px(23), cmdOK->sizeHint().height()));
    int linksRight = 0;
    for (std::size_t i = 0; i < lblURL.size(); ++i) {
        const QRect link =
            place(lblURL[i], linkX, rowY + static_cast<int>(i) * rowStep, 0, 0, button.width());
        if (!lblURL[i]->isHidden()) {
            linksRight = std::max(linksRight, link.right() + 1);
        }
    }
    const int buttonX = std::max(px(283), linksRight + px(8));
    cmdOK->setGeometry(buttonX, ruleY + px(12), button.width(), button.height());
    right = std::max(right, buttonX + button.width() + px(7));

    int bottom = std::max(px(237), cmdOK->geometry().bottom() + 1 + px(14));
    const QLabel* lastRow = lblURL[1]->isHidden() ? lblURL[0] : lblURL[1];
    bottom = std::max(bottom, lastRow->geometry().bottom() + 1 + px(14));

    const int thickness = std::max(1, px(1));
    Line1->setGeometry(px(6), ruleY, right - px(5) - px(6), 2 * thickness);
    setFixedSize(right, bottom);
}

void AboutDialog::Open(QWidget* clock, const SettingsRecord& settings) {
    AboutDialog dialog(settings, BuiltProduct(), clock);
    connect(&dialog, &AboutDialog::linkActivated, &dialog,
            [](const QUrl& url) { QDesktopServices::openUrl(url); });
    ReassertTopMost(&dialog, settings);
    dialog.exec();
    ReassertTopMost(clock, settings);
}
