#include "StartupChores.h"

#include "DialogFont.h"
#include "RecentDocuments.h"
#include "TopMost.h"
#include "Trash.h"

#include <QMessageBox>
#include <QPushButton>

namespace StartupChores {

bool AskEmptyTrash(QWidget* clock, std::size_t items, const SettingsRecord& settings) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("ごみ箱を空にする"),
                    QStringLiteral("ごみ箱の %1 個の項目を完全に削除しますか？").arg(items),
                    QMessageBox::NoButton, clock);
    box.setObjectName(QStringLiteral("msgEmptyTrash"));
    box.setFont(DialogFont());
    QPushButton* yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
    yes->setObjectName(QStringLiteral("cmdYes"));
    QPushButton* no = box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
    no->setObjectName(QStringLiteral("cmdNo"));
    // Removing for good is the one choice that cannot be undone.
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    ReassertTopMost(&box, settings);
    box.exec();
    ReassertTopMost(clock, settings);
    return box.clickedButton() == yes;
}

void EndQuestion(QWidget& clock) {
    if (auto* box = clock.findChild<QMessageBox*>(QStringLiteral("msgEmptyTrash"))) {
        // Closing answers with the escape button.
        box->close();
    }
}

void Run(QWidget& clock, const SettingsRecord& settings) {
    if (settings.ClearRecent) {
        RecentDocuments::Clear();
    }
    if (settings.ClearRecycleBin) {
        Trash::Question ask;
        if (!settings.ClearRecycleBin_NoConfirm) {
            ask = [&clock, &settings](std::size_t items) {
                return AskEmptyTrash(&clock, items, settings);
            };
        }
        Trash::Empty(ask, static_cast<std::uintptr_t>(clock.winId()));
    }
}

} // namespace StartupChores
