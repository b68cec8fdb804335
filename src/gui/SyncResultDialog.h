#pragma once

#include "settings/SettingsRecord.h"

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;

// The result dialog of a synchronisation: one message and an OK button.
class SyncResultDialog : public QDialog {
    Q_OBJECT
public:
    explicit SyncResultDialog(QWidget* parent = nullptr);
    ~SyncResultDialog() override;

    // The message; CRLF (or LF) starts a new line, long lines wrap.
    void SetMessage(const std::string& text);

    // Shows text modally and returns once the user closed it. Nothing is
    // shown with NTP_ShowDialog off, and a message arriving while the dialog
    // is open is dropped so it neither replaces nor stacks on the first.
    // The dialog belongs to clock (may be null) and clock is made top-most
    // again afterwards when TopMost is on.
    static void ShowMessage(const std::string& text, const SettingsRecord& settings,
                            QWidget* clock);

    // The dialog now open, or null.
    static SyncResultDialog* Current();

private:
    // Owned through Qt parenthood.
    QLabel* lblMsg = nullptr;
    QPushButton* cmdOK = nullptr;

    // The designed size at the least, grown so the whole message shows
    // above the button.
    void FitToMessage();
};
