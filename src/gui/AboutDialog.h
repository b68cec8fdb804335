#pragma once

#include "settings/SettingsRecord.h"

#include <QDialog>
#include <QString>
#include <QUrl>

#include <array>

class QLabel;
class QPushButton;
class QScreen;

// The About box: the program's icon, title, version and legal notice, the
// time zone the synchronisation uses, and links to the web page and the
// e-mail address. Built afresh each time it opens.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // What the build says about the product.
    struct Product {
        int major = 0;
        int minor = 0;
        int revision = 0;
        QString legal;
        QString homepage; // empty: the link shows the help page
        QString email;    // empty: the e-mail row is hidden
    };
    static Product BuiltProduct();

    AboutDialog(const SettingsRecord& settings, const Product& product, QWidget* clock = nullptr);
    ~AboutDialog() override;

    // Opens the box modally over the clock, above it when TopMost is on, and
    // returns once it is closed; the clock is put back on top afterwards.
    static void Open(QWidget* clock, const SettingsRecord& settings);

    // Where each link leads.
    QUrl LinkTarget(int index) const { return targets_.at(static_cast<std::size_t>(index)); }

Q_SIGNALS:
    // A link was clicked; Open hands it to the desktop.
    void linkActivated(const QUrl& target);

private:
    void LayOut(const QScreen* screen);
    void FollowLink(int index);

    std::array<QUrl, 2> targets_;

    // Owned through Qt parenthood.
    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblNTP_UTCOffset = nullptr;
    QWidget* Line1 = nullptr;
    QLabel* lblURLCaption = nullptr;
    QLabel* lblEMailCaption = nullptr;
    std::array<QLabel*, 2> lblURL{}; // the web page, the e-mail address
    QPushButton* cmdOK = nullptr;
};
