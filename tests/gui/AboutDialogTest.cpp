#include "AboutDialog.h"
#include "Named.h"
#include "TopMost.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include "RowName.h"

#include <stdexcept>
#include <vector>

namespace {

AboutDialog::Product Sample() {
    return {1,   12,
            109, QStringLiteral("Copyright (C) 2026 The Morvatel authors"),
            {},  QStringLiteral("clock@example.org")};
}

// The web page (0) or the e-mail address (1).
QLabel& Link(const AboutDialog& d, int index) {
    for (QLabel* label : d.findChildren<QLabel*>(QStringLiteral("lblURL"))) {
        if (label->property("index").toInt() == index) {
            return *label;
        }
    }
    throw std::runtime_error("no link");
}

QColor TextColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

TEST(AboutDialog, ShowsTheComputedTexts) {
    SettingsRecord s;
    s.NTP_UTCOffset = -3.5f;
    const AboutDialog d(s, Sample());
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Morvatel のバージョン情報"));
    EXPECT_EQ(Named<QLabel>(d, "lblTitle").text(), QStringLiteral("Morvatel"));
    EXPECT_EQ(Named<QLabel>(d, "lblVersion").text(), QStringLiteral("バージョン 1.12.0109"));
    EXPECT_EQ(Named<QLabel>(d, "lblDescription").text(), Sample().legal);
    EXPECT_EQ(Named<QLabel>(d, "lblNTP_UTCOffset").text(), QStringLiteral("タイムゾーン: UTC-3.5"));
    EXPECT_TRUE(Named<QPushButton>(d, "cmdOK").isDefault());
}

TEST(AboutDialog, AClickedLinkTurnsPurpleAndOpensItsTarget) {
    SettingsRecord s;
    AboutDialog d(s, Sample());
    std::vector<QUrl> opened;
    QObject::connect(&d, &AboutDialog::linkActivated, &d,
                     [&opened](const QUrl& url) { opened.push_back(url); });
    d.show();
    EXPECT_EQ(Link(d, 1).cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseClick(&Link(d, 1), Qt::RightButton);
    EXPECT_TRUE(opened.empty());
    QTest::mouseClick(&Link(d, 1), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("mailto:clock@example.org")));
    EXPECT_EQ(TextColour(&Link(d, 1)), QColor(0x88, 0x00, 0x88));
    EXPECT_EQ(TextColour(&Link(d, 0)), QColor(0x00, 0x00, 0xFF));
    EXPECT_TRUE(d.isVisible()) << "the box stays open";

    // Without a web page the link leads to the help page.
    QTest::mouseClick(&Link(d, 0), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(opened[1].isLocalFile());
    EXPECT_TRUE(opened[1].path().endsWith(QStringLiteral("/Readme.html")));
    // Shown whole, or cut in the middle with the whole address as its tip.
    const QLabel* link = &Link(d, 0);
    EXPECT_EQ(link->toolTip().isEmpty() ? link->text() : link->toolTip(), opened[1].toString());
}

TEST(AboutDialog, WithoutAnAddressTheEMailRowIsHidden) {
    SettingsRecord s;
    AboutDialog::Product product = Sample();
    product.email.clear();
    product.homepage = QStringLiteral("https://example.org/morvatel/");
    AboutDialog d(s, product);
    d.show();
    EXPECT_FALSE(Link(d, 1).isVisible());
    EXPECT_FALSE(Named<QLabel>(d, "lblEMailCaption").isVisible());
    EXPECT_EQ(Link(d, 0).text(), product.homepage);
    EXPECT_EQ(d.LinkTarget(0), QUrl(product.homepage));
}

struct LayoutRow {
    const char* name;
    AboutDialog::Product product;
};
class Layout : public testing::TestWithParam<LayoutRow> {};

TEST_P(Layout, EveryControlWholeAndApart) {
    SettingsRecord s;
    s.NTP_UTCOffset = 12.75f;
    AboutDialog d(s, GetParam().product);
    d.show();
    const QSize least(382, 237);
    EXPECT_GE(d.width(), least.width());
    EXPECT_GE(d.height(), least.height());
    EXPECT_LE(d.width(), std::max(least.width(), d.screen()->availableGeometry().width()));

    std::vector<QWidget*> controls;
    for (QWidget* w : d.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isVisible()) {
            controls.push_back(w);
        }
    }
    for (const QWidget* w : controls) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_TRUE(d.rect().contains(w->geometry())) << "inside the box";
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << "not clipped";
            EXPECT_GE(label->height(), label->sizeHint().height()) << "not clipped";
        }
        for (const QWidget* other : controls) {
            if (other != w) {
                EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                    << "overlaps " << other->objectName().toStdString();
            }
        }
    }
}

AboutDialog::Product Long(QString AboutDialog::Product::*field, int length) {
    AboutDialog::Product product = Sample();
    product.*field = QString(length, QChar(u'あ'));
    return product;
}

INSTANTIATE_TEST_SUITE_P(
    Products, Layout,
    testing::Values(LayoutRow{"AsDesigned", Sample()},
                    LayoutRow{"LongLegalNotice", Long(&AboutDialog::Product::legal, 60)},
                    LayoutRow{"HugeEMail", Long(&AboutDialog::Product::email, 400)}),
    RowName());

class AboutTopMost : public testing::TestWithParam<bool> {};

TEST_P(AboutTopMost, AboveTheClockAndClockBackOnTopOnlyWhenOn) {
    SettingsRecord s;
    s.TopMost = GetParam();
    QWidget clock;
    clock.show();
    SetTopMost(&clock, false);
    bool onTop = !GetParam();
    QWidget* parent = nullptr;
    QTimer::singleShot(0, qApp, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        parent = box->parentWidget();
        box->close();
    });
    AboutDialog::Open(&clock, s);
    EXPECT_EQ(onTop, GetParam());
    EXPECT_EQ(parent, &clock);
    EXPECT_EQ(clock.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Setting, AboutTopMost, testing::Bool());

} // namespace
