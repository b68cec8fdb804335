#include "SyncResultDialog.h"

#include "DialogFont.h"
#include "DialogSize.h"
#include "TopMost.h"

#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

// One process-wide reference, as there is one dialog at a time.
QPointer<SyncResultDialog> g_current;

// The message: line breaks start new lines, and long lines wrap at word
// boundaries, or inside a word too long for a line (a long server name),
// which a plain label would let run out of sight. The same layout measures
// and paints, so the size the dialog takes is the size the text needs.
class MessageLabel final : public QLabel {
public:
    using QLabel::QLabel;

    // The text's size with lines at most width wide (a huge width gives the
    // widest line unwrapped).
    QSize TextSize(int width) const {
        return LayOut(width, [](const QTextLayout&) {}).toSize();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        const QPointF origin = contentsRect().topLeft();
        LayOut(contentsRect().width(),
               [&painter, origin](const QTextLayout& layout) { layout.draw(&painter, origin); });
    }

private:
    template <class Use> QSizeF LayOut(int width, Use use) const {
        QTextOption option(Qt::AlignLeft);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        qreal y = 0;
        qreal widest = 0;
        for (const QString& paragraph : text().split(QLatin1Char('\n'))) {
            QTextLayout layout(paragraph, font(), this);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLeadingIncluded(true);
                line.setLineWidth(width);
                line.setPosition(QPointF(0, y));
                y += line.height();
                widest = std::max(widest, line.naturalTextWidth());
            }
            layout.endLayout();
            use(layout);
        }
        return {std::ceil(widest), std::ceil(y)};
    }
};

} // namespace

SyncResultDialog::SyncResultDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setWindowTitle(QStringLiteral("時刻の同期"));
    setFont(DialogFont());

    lblMsg = new MessageLabel(this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setTextFormat(Qt::PlainText);
    lblMsg->setWordWrap(true);
    lblMsg->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Created after the label so it lies over the label's lower right corner.
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    FitToMessage();
    cmdOK->setFocus();
}

SyncResultDialog::~SyncResultDialog() = default;

void SyncResultDialog::FitToMessage() {
    const QScreen* shownOn = screen();
    const double dpi = DialogSize::LogicalDpi(shownOn);
    auto px = [dpi](int twips) { return DialogSize::TwipsToPixels(twips, dpi); };
    const int margin = px(120);
    const QSize designed(px(5055), px(1695));
    const QSize button = DialogSize::Grown(QSize(px(1575), px(375)), cmdOK->sizeHint(), shownOn);

    // As wide as the widest line, between the designed width and the wrap
    // width; as high as the wrapped text with the button below it.
    const auto* message = static_cast<const MessageLabel*>(lblMsg);
    const int least = designed.width() - 2 * margin;
    const int widest = message->TextSize(QWIDGETSIZE_MAX).width();
    const int width = std::clamp(widest, least, std::max(least, DialogSize::WrapWidth(shownOn)));
    const QSize text = message->TextSize(width);
    const QSize needed(width + 2 * margin, text.height() + button.height() + 3 * margin);

    const QSize size = DialogSize::Grown(designed, needed, shownOn);
    setFixedSize(size);
    lblMsg->setGeometry(margin, margin, size.width() - 2 * margin, size.height() - 2 * margin);
    cmdOK->setGeometry(size.width() - margin - button.width(),
                       size.height() - margin - button.height(), button.width(), button.height());
}

void SyncResultDialog::SetMessage(const std::string& text) {
    QString message = QString::fromStdString(text);
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    message.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    lblMsg->setText(message);
    FitToMessage();
}

SyncResultDialog* SyncResultDialog::Current() {
    return g_current.data();
}

void SyncResultDialog::ShowMessage(const std::string& text, const SettingsRecord& settings,
                                   QWidget* clock) {
    if (!settings.NTP_ShowDialog) {
        return;
    }
    if (g_current != nullptr && g_current->isVisible()) {
        return;
    }
    // Owned by the clock: off the taskbar and above its owner. It deletes
    // itself once closed, and goes with its owner should that go first.
    QPointer<SyncResultDialog> dialog = new SyncResultDialog(clock);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    g_current = dialog;
    dialog->SetMessage(text);
    ReassertTopMost(dialog, settings);
    dialog->exec();
    // The run that called may have changed TopMost meanwhile (the menu is
    // usable while the dialog is open), so the record is read again here.
    ReassertTopMost(clock, settings);
}
