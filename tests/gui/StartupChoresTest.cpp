#include "StartupChores.h"
#include "FreedesktopTrash.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include "RowName.h"
#include "TempFolder.h"
#include "platform/XdgEnvironment.h"

#include <filesystem>
#include <vector>

namespace {

namespace fs = std::filesystem;

// No file system but the home trash in the test's own folder.
std::vector<std::string> NoMounts() {
    return {};
}

enum class Answer { None, Yes, No, Escape };

struct ChoreRow {
    const char* name;
    bool clearRecycleBin;
    bool noConfirm;
    Answer answer;
    bool asked;
    bool emptied;
};
class TrashChore : public testing::TestWithParam<ChoreRow> {};

TEST_P(TrashChore, AsksAsSetAndEmptiesOnlyWhenAllowed) {
    const ChoreRow& row = GetParam();
    TempFolder temp;
    const ScopedXdgFolder data("XDG_DATA_HOME", temp.File("data"));
    const Trash::MountTableReader previous = Trash::SetMountTableReader(&NoMounts);
    const fs::path trash = temp.Path() / "data/Trash";
    fs::create_directories(trash / "files");
    fs::create_directories(trash / "info");
    for (const char* name : {"one", "two"}) {
        Put((trash / "files" / name).string(), "x");
        Put((trash / "info" / (std::string(name) + ".trashinfo")).string(), "[Trash Info]\n");
    }

    SettingsRecord s;
    s.TopMost = false;
    s.ClearRecycleBin = row.clearRecycleBin;
    s.ClearRecycleBin_NoConfirm = row.noConfirm;
    QWidget clock;
    clock.show();
    QString asked; // caption and text of the question, with its owner and default
    // Owned here: a row that asks nothing must not leave it to answer the
    // next row's question.
    QTimer answer;
    answer.setSingleShot(true);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        asked = box->windowTitle() + "|" + box->text() + "|" +
                (box->parentWidget() == &clock ? "owned" : "") + "|" +
                box->defaultButton()->objectName();
        if (row.answer == Answer::Escape) {
            box->reject();
        } else {
            box->findChild<QPushButton*>(row.answer == Answer::Yes ? "cmdYes" : "cmdNo")->click();
        }
    });
    answer.start(0);
    StartupChores::Run(clock, s);
    Trash::SetMountTableReader(previous);

    EXPECT_EQ(asked, row.asked ? QStringLiteral("ごみ箱を空にする|ごみ箱の 2 個の項目を完全に"
                                                "削除しますか？|owned|cmdNo")
                               : QString());
    EXPECT_EQ(fs::is_empty(trash / "files"), row.emptied);
    EXPECT_EQ(fs::is_empty(trash / "info"), row.emptied);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, TrashChore, testing::Values(
    ChoreRow{"Off", false, true, Answer::None, false, false},
    ChoreRow{"NoConfirm", true, true, Answer::None, false, true},
    ChoreRow{"AnsweredYes", true, false, Answer::Yes, true, true},
    ChoreRow{"AnsweredNo", true, false, Answer::No, true, false},
    ChoreRow{"Escaped", true, false, Answer::Escape, true, false}
), RowName());
// clang-format on

TEST(RecentChore, LeavesAValidEmptyBookmarkFileAndNoKdeEntries) {
    TempFolder temp;
    const ScopedXdgFolder data("XDG_DATA_HOME", temp.File("data"));
    fs::create_directories(temp.Path() / "data/RecentDocuments");
    const std::string xbel = temp.File("data/recently-used.xbel");
    Put(xbel, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\">"
              "<bookmark href=\"file:///home/u/secret.txt\"/></xbel>\n");
    Put(temp.File("data/RecentDocuments/secret.txt.desktop"), "[Desktop Entry]\n");
    Put(temp.File("data/RecentDocuments/keep.txt"), "not an entry");

    SettingsRecord s;
    QWidget clock;
    StartupChores::Run(clock, s);
    EXPECT_NE(Slurp(xbel).find("secret"), std::string::npos) << "ClearRecent is off";

    s.ClearRecent = true;
    StartupChores::Run(clock, s);
    QFile file(QString::fromStdString(xbel));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader reader(&file);
    int elements = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement) {
            ++elements;
            EXPECT_EQ(reader.name(), QStringLiteral("xbel"));
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    EXPECT_EQ(elements, 1);
    EXPECT_FALSE(fs::exists(temp.File("data/RecentDocuments/secret.txt.desktop")));
    EXPECT_TRUE(fs::exists(temp.File("data/RecentDocuments/keep.txt")));
}

} // namespace
