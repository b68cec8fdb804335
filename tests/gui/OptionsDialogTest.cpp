#include "OptionsDialog.h"
#include "ClockWindow.h"
#include "Named.h"
#include "SpinField.h"
#include "SyncPage.h"
#include "core/datetime/FakeCalendarData.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "RowName.h"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

// A dialog over a record, with the program's side counted.
struct Fixture {
    SettingsRecord s;
    FakeCalendarData calendar;
    LocalDateTime now{2005, 6, 17, 13, 5, 0, 0};
    std::string lastSync;
    std::vector<std::string> servers;
    std::function<void()> duringRun = [] {};
    int applied = 0;
    std::vector<bool> autoRuns;
    std::unique_ptr<OptionsDialog> d;

    OptionsDialog& Open() {
        d = std::make_unique<OptionsDialog>(s, calendar,
                                            OptionsDialog::Sources{[] { return true; },
                                                                   [this] { return lastSync; },
                                                                   [this] { return now; }});
        QObject::connect(d.get(), &OptionsDialog::applied, d.get(), [this] { ++applied; });
        QObject::connect(d.get(), &OptionsDialog::autoRunChosen, d.get(),
                         [this](bool on) { autoRuns.push_back(on); });
        QObject::connect(d.get(), &OptionsDialog::synchroniseRequested, d.get(),
                         [this](const std::string& server) {
                             servers.push_back(server);
                             duringRun();
                         });
        return *d;
    }
};

TEST(OptionsDialog, OkWithoutTouchingStoresAppliesAndKeepsTheCountdown) {
    Fixture f;
    f.s.NTPCountdown = 17;
    f.s.ClearRecycleBin_NoConfirm = true;
    OptionsDialog& d = f.Open();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("オプション"));
    EXPECT_FALSE(Named<QPushButton>(d, "cmdApply").isEnabled());
    EXPECT_TRUE(Named<QCheckBox>(d, "chkClearRecycleBin_NoConfirm").isChecked());
    EXPECT_FALSE(Named<QCheckBox>(d, "chkClearRecycleBin_NoConfirm").isEnabled());
    EXPECT_EQ(Named<QLabel>(d, "lblNTP_LastModified").text(), QStringLiteral("(不明)"));
    EXPECT_GE(d.width(), 465);
    EXPECT_GE(d.height(), 394);

    Named<QPushButton>(d, "cmdOK").click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(f.applied, 1);
    EXPECT_EQ(f.autoRuns, std::vector<bool>{true});
    EXPECT_EQ(f.s.NTPCountdown, 17) << "the interval field was only filled";
    EXPECT_TRUE(f.s.ClearRecycleBin_NoConfirm);
}

struct EditRow {
    const char* name;
    std::function<void(OptionsDialog&)> edit;
    std::int32_t countdown; // after Apply, from 7
};

class Edits : public testing::TestWithParam<EditRow> {};

TEST_P(Edits, EnableApplyAndOnlyTheIntervalRestartsTheCountdown) {
    Fixture f;
    f.s.NTPCountdown = 7;
    OptionsDialog& d = f.Open();
    GetParam().edit(d);
    EXPECT_TRUE(Named<QPushButton>(d, "cmdApply").isEnabled());
    Named<QPushButton>(d, "cmdApply").click();
    EXPECT_FALSE(Named<QPushButton>(d, "cmdApply").isEnabled());
    EXPECT_EQ(f.applied, 1);
    EXPECT_EQ(f.s.NTPCountdown, GetParam().countdown);
    f.s.NTPCountdown = 7;
    Named<QPushButton>(d, "cmdOK").click();
    EXPECT_EQ(f.s.NTPCountdown, 7) << "the mark is cleared by Apply";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Controls, Edits, testing::Values(
    EditRow{"CheckBox", [](OptionsDialog& d) { Named<QCheckBox>(d, "chkBlink").click(); }, 7},
    EditRow{"TypedField", [](OptionsDialog& d) { QTest::keyClicks(&Named<SpinField>(d, "txtTimeOffset"), "5"); }, 7},
    EditRow{"SteppedField", [](OptionsDialog& d) { QTest::keyClick(&Named<SpinField>(d, "txtNTP_PermissibleDelay"), Qt::Key_Up); }, 7},
    EditRow{"TimeList", [](OptionsDialog& d) { Named<QComboBox>(d, "cmbTimeFormat").setCurrentIndex(2); }, 7},
    EditRow{"DateText", [](OptionsDialog& d) { QTest::keyClicks(&Named<QComboBox>(d, "cmbDateFormat"), "x"); }, 7},
    EditRow{"ServerText", [](OptionsDialog& d) { Named<QComboBox>(d, "cmbServers").setEditText("a"); }, 7},
    EditRow{"IntervalTyped", [](OptionsDialog& d) { QTest::keyClicks(&Named<SpinField>(d, "txtNTPbyTimer_Interval"), "4"); }, 24 * 60},
    EditRow{"IntervalStepped", [](OptionsDialog& d) { QTest::keyClick(&Named<SpinField>(d, "txtNTPbyTimer_Interval"), Qt::Key_Up); }, 3 * 60}
), RowName());
// clang-format on

TEST(OptionsDialog, NtsCheckBoxLoadsAndStores) {
    Fixture f;
    f.s.NTS = true;
    QCheckBox& box = Named<QCheckBox>(f.Open(), "chkNTS");
    EXPECT_TRUE(box.isChecked());
    EXPECT_EQ(box.text(), QStringLiteral("NTS で認証する(&S)"));
#ifdef _WIN32
    // Built without NTS there: the choice is shown greyed and kept.
    EXPECT_FALSE(box.isEnabled());
    Named<QPushButton>(*f.d, "cmdOK").click();
    EXPECT_TRUE(f.s.NTS);
#else
    box.click();
    Named<QPushButton>(*f.d, "cmdOK").click();
    EXPECT_FALSE(f.s.NTS);
#endif
}

TEST(OptionsDialog, ArrowsKeepToTheBoundsTypingDoesNot) {
    Fixture f;
    SpinField& field = Named<SpinField>(f.Open(), "txtNTPbyTimer_Interval"); // 1..48
    field.SetText(QStringLiteral("100"));
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(field.text(), QStringLiteral("100"));
    QTest::keyClick(&field, Qt::Key_Down);
    EXPECT_EQ(field.text(), QStringLiteral("47"));
    QTest::keyClick(&field, Qt::Key_Up);
    QTest::keyClick(&field, Qt::Key_Up);
    EXPECT_EQ(field.text(), QStringLiteral("48"));
}

struct NumericRow {
    const char* field;
    Options::SpinBounds bounds;
    const char* typed;
    std::int32_t SettingsRecord::*stored;
    std::int32_t expected;
};

// Typed values no two fields share, and none a default.
const NumericRow kNumeric[] = {
    {"txtTimeOffset", Options::kTimeOffsetBounds, "-7", &SettingsRecord::TimeOffset, -7 * 60},
    {"txtNTPbyTimer_Interval", Options::kIntervalBounds, "5", &SettingsRecord::NTPbyTimer_Interval,
     5},
    {"txtNTPatResume_Delay", Options::kResumeDelayBounds, "9", &SettingsRecord::NTPatResume_Delay,
     9000},
    {"txtNTP_PermissibleDelay", Options::kPermissibleDelayBounds, "700",
     &SettingsRecord::NTP_PermissibleDelay, 700},
};

// The same typed full-width with an input method.
const NumericRow kFullWidth[] = {
    {"txtTimeOffset", Options::kTimeOffsetBounds, "－１．５", &SettingsRecord::TimeOffset, -90},
    {"txtNTPbyTimer_Interval", Options::kIntervalBounds, "１２",
     &SettingsRecord::NTPbyTimer_Interval, 12},
    {"txtNTPatResume_Delay", Options::kResumeDelayBounds, "２．５",
     &SettingsRecord::NTPatResume_Delay, 2500},
    {"txtNTP_PermissibleDelay", Options::kPermissibleDelayBounds, "＋８００",
     &SettingsRecord::NTP_PermissibleDelay, 800},
};

TEST(OptionsDialog, OkStoresEveryNumericFieldInItsOwnSetting) {
    using Rows = std::span<const NumericRow>;
    for (const Rows rows : {Rows(kNumeric), Rows(kFullWidth)}) {
        Fixture f;
        OptionsDialog& d = f.Open();
        for (const NumericRow& row : rows) {
            Named<SpinField>(d, row.field).SetText(QString::fromUtf8(row.typed));
        }
        Named<QPushButton>(d, "cmdOK").click();
        for (const NumericRow& row : rows) {
            EXPECT_EQ(f.s.*row.stored, row.expected) << row.field << " " << row.typed;
        }
    }
}

TEST(OptionsDialog, EveryNumberFieldShowsTenCharactersWhole) {
    Fixture f;
    OptionsDialog& d = f.Open();
    d.show();
    for (const NumericRow& row : kNumeric) {
        // Measured on its page as shown: a hidden page is laid out again
        // only when it is shown.
        const SpinField& field = Named<SpinField>(d, row.field);
        auto& tabs = *d.findChild<QTabWidget*>();
        for (int i = 0; i < tabs.count(); ++i) {
            if (tabs.widget(i)->isAncestorOf(&field)) {
                tabs.setCurrentIndex(i);
            }
        }
        QApplication::processEvents();
        const QLineEdit& edit = *field.findChild<QLineEdit*>();
        for (const QString& typed : {QStringLiteral("9999999999"), QStringLiteral("12abc-+.,W")}) {
            EXPECT_GE(edit.contentsRect().width() - 4, edit.fontMetrics().horizontalAdvance(typed))
                << row.field << " " << typed.toStdString();
        }
    }
}

TEST(OptionsDialog, AReaderCanNameEveryField) {
    Fixture f;
    OptionsDialog& d = f.Open();
    QSet<const QWidget*> labelled;
    for (const QLabel* label : d.findChildren<QLabel*>()) {
        labelled.insert(label->buddy());
    }
    for (const char* value : {"lblNTP_LastModified", "lblNTPbyTimer", "lblTimeFormatSample"}) {
        EXPECT_TRUE(labelled.contains(&Named<QLabel>(d, value))) << value;
    }
    for (const QWidget* field : d.findChildren<QWidget*>()) {
        if (qobject_cast<const QAbstractSpinBox*>(field) || qobject_cast<const QComboBox*>(field)) {
            EXPECT_TRUE(labelled.contains(field) || !field->accessibleName().isEmpty())
                << field->objectName().toStdString();
        }
    }
    EXPECT_EQ(Named<SpinField>(d, "txtNTPbyTimer_Interval").accessibleName(),
              QStringLiteral("定期的に同期する(T) (時間ごと)"));
}

TEST(OptionsDialog, EachArrowStopsOnlyAtItsOwnBound) {
    Fixture f;
    OptionsDialog& d = f.Open();
    for (const NumericRow& row : kNumeric) {
        SCOPED_TRACE(row.field);
        SpinField& field = Named<SpinField>(d, row.field);
        const QString lower = QString::number(row.bounds.lower);
        const QString upper = QString::number(row.bounds.upper);
        field.SetText(lower);
        QTest::keyClick(&field, Qt::Key_Down);
        EXPECT_EQ(field.text(), lower);
        QTest::keyClick(&field, Qt::Key_Up);
        EXPECT_EQ(field.text(), QString::number(row.bounds.lower + 1));
        field.SetText(upper);
        QTest::keyClick(&field, Qt::Key_Up);
        EXPECT_EQ(field.text(), upper);
        QTest::keyClick(&field, Qt::Key_Down);
        EXPECT_EQ(field.text(), QString::number(row.bounds.upper - 1));
    }
}

struct EnterRow {
    const char* name;
    const char* focused;
    bool stillOpen;
    int applied;
    std::size_t runs;
};

class Enter : public testing::TestWithParam<EnterRow> {};

TEST_P(Enter, PressesTheFocusedButtonElseOk) {
    Fixture f;
    OptionsDialog& d = f.Open();
    Named<QCheckBox>(d, "chkBlink").click(); // enables Apply
    QWidget& focused = Named<QWidget>(d, GetParam().focused);
    Named<QTabWidget>(d, "TabStrip1").setCurrentWidget(focused.parentWidget());
    d.show();
    focused.setFocus();
    QTest::keyClick(&focused, Qt::Key_Return);
    EXPECT_EQ(d.isVisible(), GetParam().stillOpen);
    EXPECT_EQ(f.applied, GetParam().applied);
    EXPECT_EQ(f.servers.size(), GetParam().runs);
}

INSTANTIATE_TEST_SUITE_P(Focus, Enter,
                         testing::Values(EnterRow{"OnCancel", "cmdCancel", false, 0, 0},
                                         EnterRow{"OnApply", "cmdApply", true, 1, 0},
                                         EnterRow{"OnSynchroniseNow", "cmdTestNTP", true, 0, 1},
                                         EnterRow{"OnACheckBox", "chkTopMost", false, 1, 0}),
                         RowName());

TEST(OptionsDialog, EscapeAndCancelStoreNothingButKeepWhatWasApplied) {
    Fixture f;
    OptionsDialog& d = f.Open();
    Named<QCheckBox>(d, "chkBlink").click();
    Named<QPushButton>(d, "cmdApply").click();
    Named<QCheckBox>(d, "chkTopMost").click();
    Named<QCheckBox>(d, "chkClearRecycleBin").click();
    EXPECT_TRUE(Named<QCheckBox>(d, "chkClearRecycleBin_NoConfirm").isEnabled());
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_TRUE(f.s.Blink);
    EXPECT_TRUE(f.s.TopMost);
    EXPECT_FALSE(f.s.ClearRecycleBin);
    EXPECT_EQ(f.applied, 1);
}

TEST(OptionsDialog, SamplesFollowEveryChange) {
    Fixture f;
    OptionsDialog& d = f.Open();
    OptionsDialog& page = d;
    EXPECT_EQ(Named<QLabel>(page, "lblTimeFormatSample").text(), QStringLiteral("13:05"));
    Named<QComboBox>(page, "cmbTimeFormat").setCurrentIndex(1);
    EXPECT_EQ(Named<QLabel>(page, "lblTimeFormatSample").text(), QStringLiteral("1:05"));

    Named<QComboBox>(page, "cmbDateFormat").clearEditText();
    QStringList samples;
    for (const QChar key : QStringLiteral("yyyy.mm.dd")) {
        QTest::keyClicks(&Named<QComboBox>(page, "cmbDateFormat"), QString(key));
        samples << Named<QLabel>(page, "lblDateFormatSample").text();
    }
    EXPECT_EQ(samples[3], QStringLiteral("2005"));
    EXPECT_EQ(samples[4], QStringLiteral("2005."));
    EXPECT_EQ(samples[9], QStringLiteral("2005.06.17"));
    Named<QPushButton>(d, "cmdOK").click();
    EXPECT_EQ(f.s.DateFormat, "yyyy.mm.dd");
    EXPECT_EQ(f.s.TimeFormat, 2);
}

TEST(SyncPage, StatusLinesReadTheAppliedSettings) {
    Fixture f;
    f.now = {2005, 6, 17, 10, 0, 0, 0};
    f.s.NTPCountdown = 90;
    OptionsDialog& d = f.Open();
    SyncPage& page = *d.findChild<SyncPage*>();
    Named<QCheckBox>(page, "chkNTPbyTimer").click();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Named<QLabel>(page, "lblNTPbyTimer").text() != "(不明)"; }, 2000));
    EXPECT_EQ(Named<QLabel>(page, "lblNTPbyTimer").text(), QStringLiteral("(無効)"));
    f.s.NTPbyTimer = true;
    f.lastSync = "2005/6/17 9:58:01";
    page.RefreshStatus();
    EXPECT_EQ(Named<QLabel>(page, "lblNTPbyTimer").text(), QStringLiteral("2005/6/17 11:30"));
    EXPECT_EQ(Named<QLabel>(page, "lblNTP_LastModified").text(),
              QStringLiteral("2005/6/17 9:58:01"));
}

TEST(SyncPage, SynchroniseNowUsesTheTypedServerAndLeavesTheSettingAlone) {
    Fixture f;
    OptionsDialog& d = f.Open();
    Named<QComboBox>(d, "cmbServers").setEditText(QStringLiteral(" 127.0.0.1"));
    bool buttonDuringRun = true;
    bool othersDuringRun = false;
    f.duringRun = [&] {
        buttonDuringRun = Named<QPushButton>(d, "cmdTestNTP").isEnabled();
        othersDuringRun = Named<QPushButton>(d, "cmdOK").isEnabled() &&
                          Named<QPushButton>(d, "cmdCancel").isEnabled() &&
                          Named<QComboBox>(d, "cmbServers").isEnabled();
    };
    Named<QPushButton>(d, "cmdTestNTP").click();
    EXPECT_EQ(f.servers, std::vector<std::string>{" 127.0.0.1"});
    EXPECT_FALSE(buttonDuringRun);
    EXPECT_TRUE(othersDuringRun);
    EXPECT_TRUE(Named<QPushButton>(d, "cmdTestNTP").isEnabled());
    EXPECT_EQ(f.s.NTP_Server, "ntp.nict.jp");
    EXPECT_EQ(Named<QComboBox>(d, "cmbServers").lineEdit()->placeholderText(),
              QStringLiteral("ntp.nict.jp"))
        << "what an empty box stands for";
    EXPECT_EQ(Named<QLabel>(d, "lblNTP_LastModified").text(), QStringLiteral("(不明)"))
        << "it failed";
}

TEST(SyncPage, ClosingWhileTheRunWaitsLetsItFinish) {
    Fixture f;
    OptionsDialog& d = f.Open();
    f.duringRun = [&] {
        Named<QPushButton>(d, "cmdCancel").click();
        QCoreApplication::processEvents();
        f.lastSync = "2005/6/17 13:05:02";
    };
    QTimer::singleShot(0, &Named<QPushButton>(d, "cmdTestNTP"), &QPushButton::click);
    EXPECT_EQ(d.exec(), QDialog::Rejected);
    EXPECT_EQ(f.servers.size(), 1u);
    EXPECT_FALSE(Named<QTimer>(d, "tmrShowLog").isActive());
    EXPECT_EQ(f.applied, 0);
}

struct FocusRow {
    const char* name;
    int page;
    const char* order;
};

class Focus : public testing::TestWithParam<FocusRow> {};

TEST_P(Focus, TopToBottomThenTheButtonsThenTheTabs) {
    Fixture f;
    OptionsDialog& d = f.Open();
    Named<QTabWidget>(d, "TabStrip1").setCurrentIndex(GetParam().page);
    d.show();
    // As Tab walks it from Apply: enabled and visible controls, a field's or
    // an editable list's line edit named by its owner.
    QStringList order;
    QWidget* const apply = &Named<QPushButton>(d, "cmdApply");
    const QTabWidget& tabs = Named<QTabWidget>(d, "TabStrip1");
    for (QWidget* w = apply->nextInFocusChain(); w != apply; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled() &&
            w->focusProxy() == nullptr) {
            const QString name = w == tabs.tabBar()          ? tabs.objectName()
                                 : w->objectName().isEmpty() ? w->parentWidget()->objectName()
                                                             : w->objectName();
            if (order.isEmpty() || order.back() != name) {
                order << name;
            }
        }
    }
    EXPECT_EQ(order.join(' ').toStdString(), GetParam().order);
}

// A greyed box takes no focus.
#ifdef _WIN32
#define NTS_BOX ""
#else
#define NTS_BOX " chkNTS"
#endif
// clang-format off
INSTANTIATE_TEST_SUITE_P(Pages, Focus, testing::Values(
    FocusRow{"General", 0, "TabStrip1 chkAutoRun chkClearRecent chkClearRecycleBin chkEXITbyDblClick "
        "chkTopMost chkFixWindowPosition cmdOK cmdCancel"},
    FocusRow{"Clock", 1, "TabStrip1 chkBlink chkUseTimeOffset txtTimeOffset cmbTimeFormat "
        "cmbDateFormat cmdOK cmdCancel"},
    FocusRow{"Sync", 2, "TabStrip1 cmbServers cmdTestNTP" NTS_BOX " chkNTPatRun chkNTPatResume chkNTPbyTimer "
        "txtNTPbyTimer_Interval txtNTPatResume_Delay chkNTP_UsePermissibleDelay "
        "txtNTP_PermissibleDelay txtNTP_Samples chkNTP_ShowDialog chkNTP_Logging cmdOK cmdCancel"}
), RowName());
// clang-format on

TEST(OptionsDialog, EveryCaptionFitsOnEveryPage) {
    Fixture f;
    OptionsDialog& d = f.Open();
    d.show();
    for (int page = 0; page < Named<QTabWidget>(d, "TabStrip1").count(); ++page) {
        Named<QTabWidget>(d, "TabStrip1").setCurrentIndex(page);
        QCoreApplication::processEvents();
        for (QWidget* w : d.findChildren<QWidget*>()) {
            // The controls the page lays out; their insides are theirs to lay out.
            const bool laidOut = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w) ||
                                 qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QComboBox*>(w);
            if (!laidOut || !w->isVisible() ||
                w->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored) {
                continue;
            }
            const QRect inDialog(w->mapTo(&d, QPoint(0, 0)), w->size());
            const QSize least = w->minimumSizeHint();
            EXPECT_TRUE(w->width() >= least.width() && w->height() >= least.height())
                << w->metaObject()->className() << " " << w->objectName().toStdString();
            EXPECT_TRUE(d.rect().contains(inDialog)) << w->metaObject()->className();
        }
    }
}

TEST(OptionsDialog, ApplyShowsOnTheClockAtOnce) {
    Fixture f;
    ClockWindow clock(f.s);
    clock.SetLocalClock([] { return LocalDateTime{2005, 6, 17, 13, 45, 0, 100}; });
    clock.LoadBodyPicture();
    clock.DrawClockFace(false);
    OptionsDialog d(f.s, f.calendar, {});
    QObject::connect(&d, &OptionsDialog::applied, &clock, &ClockWindow::ApplySettings);
    Named<QComboBox>(d, "cmbTimeFormat").setCurrentIndex(1);
    Named<QCheckBox>(d, "chkBlink").click();
    Named<QPushButton>(d, "cmdApply").click();
    EXPECT_EQ(clock.Face().LastFaceText, ClockFace::FaceText(13, 45, 2));
}

} // namespace
