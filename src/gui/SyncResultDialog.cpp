#include "SyncResultDialog.h"

#include "TopMost.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace {

// One process-wide reference, as there is one dialog at a time.
QPointer<SyncResultDialog> g_current;

QFont DialogFont() {
    // The families a Japanese desktop is known to have, first the one the
    // layout was made for; fontconfig or Windows picks the first present.
    QFont font;
    font.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("Yu Gothic UI"),
                      QStringLiteral("Meiryo UI"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("VL PGothic"), QStringLiteral("TakaoPGothic")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(9);
    return font;
}

} // namespace

int SyncResultDialog::TwipsToPixels(int twips, double logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / 1440.0));
}

SyncResultDialog::SyncResultDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setWindowTitle(QStringLiteral("時刻の同期"));
    setFont(DialogFont());

    lblMsg = new QLabel(this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setTextFormat(Qt::PlainText);
    lblMsg->setWordWrap(true);
    lblMsg->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Created after the label so it lies over the label's lower right corner.
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    LayOut(QGuiApplication::primaryScreen());
    cmdOK->setFocus();
}

SyncResultDialog::~SyncResultDialog() = default;

void SyncResultDialog::LayOut(const QScreen* screen) {
    const double dpi = screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
    auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    setFixedSize(px(5055), px(1695));
    lblMsg->setGeometry(px(120), px(120), px(4815), px(1455));
    cmdOK->setGeometry(px(3360), px(1200), px(1575), px(375));
}

void SyncResultDialog::SetMessage(const std::string& text) {
    QString message = QString::fromStdString(text);
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    message.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    lblMsg->setText(message);
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
