#include "SyncPage.h"

#include "SpinField.h"
#include "options/OptionsTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

} // namespace

SyncPage::SyncPage(const SettingsRecord& applied, Sources sources, QWidget* parent)
    : OptionsPage(parent), applied_(applied), sources_(std::move(sources)) {
    AddHeading(QStringLiteral("基本設定"));
    QVBoxLayout* inside = nullptr;
    const QGroupBox* serverFrame = AddFrame(QStringLiteral("NTPサーバー"), inside);
    auto* serverLine = new QHBoxLayout;
    inside->addLayout(serverLine);
    cmbServers = new QComboBox(this);
    cmbServers->setObjectName(QStringLiteral("cmbServers"));
    MakeFreeText(*cmbServers);
    NameAfterFrame(*cmbServers, *serverFrame);
    cmbServers->addItem(QString::fromStdString(Options::BuiltInServer()));
    // An empty box means the built-in server from the next start on; the
    // user should see which one.
    cmbServers->lineEdit()->setPlaceholderText(QString::fromStdString(Options::BuiltInServer()));
    serverLine->addWidget(cmbServers, 1);
    cmdTestNTP = new QPushButton(QStringLiteral("今すぐ同期(&Y)"), this);
    cmdTestNTP->setObjectName(QStringLiteral("cmdTestNTP"));
    // As tall as the box beside it, and with a character's room either side
    // of its caption.
    cmdTestNTP->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    cmdTestNTP->setMinimumWidth(cmdTestNTP->sizeHint().width() +
                                2 * cmdTestNTP->fontMetrics().averageCharWidth());
    serverLine->addWidget(cmdTestNTP);

    chkNTS = AddCheckBox(QStringLiteral("chkNTS"), QStringLiteral("NTS で認証する(&S)"));
#ifdef _WIN32
    // Built without OpenSSL (src/app/CMakeLists.txt). The stored choice is
    // still shown, since a sync it asks for fails rather than run plain.
    chkNTS->setEnabled(false);
    chkNTS->setToolTip(QStringLiteral("この Windows 版は NTS に対応していません"));
#endif
    chkNTPatRun = AddCheckBox(QStringLiteral("chkNTPatRun"),
                              QStringLiteral("Morvatel の起動時に同期する(&R)"));
    chkNTPatResume = AddCheckBox(QStringLiteral("chkNTPatResume"),
                                 QStringLiteral("スタンバイ状態から回復した時に同期する(&E)"));
    QHBoxLayout* timerLine = AddLine();
    chkNTPbyTimer = AddCheckBox(QStringLiteral("chkNTPbyTimer"),
                                QStringLiteral("定期的に同期する(&T)"), timerLine);
    txtNTPbyTimer_Interval =
        AddSpinField(QStringLiteral("txtNTPbyTimer_Interval"), Options::kIntervalBounds,
                     QStringLiteral("時間ごと"), *timerLine);

    auto* status = new QGridLayout;
    status->setColumnStretch(1, 1);
    // The captions end in their own space.
    status->setHorizontalSpacing(0);
    auto* lastCaption = new QLabel(QStringLiteral("前回の同期: "), this);
    status->addWidget(lastCaption, 0, 0);
    lblNTP_LastModified = new QLabel(Text(Options::kUnknown), this);
    lastCaption->setBuddy(lblNTP_LastModified);
    lblNTP_LastModified->setObjectName(QStringLiteral("lblNTP_LastModified"));
    status->addWidget(lblNTP_LastModified, 0, 1);
    auto* nextCaption = new QLabel(QStringLiteral("次回の同期: "), this);
    status->addWidget(nextCaption, 1, 0);
    lblNTPbyTimer = new QLabel(Text(Options::kUnknown), this);
    nextCaption->setBuddy(lblNTPbyTimer);
    lblNTPbyTimer->setObjectName(QStringLiteral("lblNTPbyTimer"));
    status->addWidget(lblNTPbyTimer, 1, 1);
    AddLine()->addLayout(status);

    AddHeading(QStringLiteral("詳細設定"));
    QHBoxLayout* delayLine = AddLine();
    auto* delayLabel = new QLabel(QStringLiteral("同期実行までの待機時間(&D):"), this);
    delayLine->addWidget(delayLabel);
    txtNTPatResume_Delay =
        AddSpinField(QStringLiteral("txtNTPatResume_Delay"), Options::kResumeDelayBounds,
                     QStringLiteral("秒"), *delayLine);
    delayLabel->setBuddy(txtNTPatResume_Delay);
    QHBoxLayout* permissibleLine = AddLine();
    chkNTP_UsePermissibleDelay =
        AddCheckBox(QStringLiteral("chkNTP_UsePermissibleDelay"),
                    QStringLiteral("応答時間が次の値を超えたら無視する(&P)"), permissibleLine);
    txtNTP_PermissibleDelay =
        AddSpinField(QStringLiteral("txtNTP_PermissibleDelay"), Options::kPermissibleDelayBounds,
                     QStringLiteral("ミリ秒"), *permissibleLine);
    QHBoxLayout* samplesLine = AddLine();
    auto* samplesLabel = new QLabel(QStringLiteral("測定回数(&M):"), this);
    samplesLine->addWidget(samplesLabel);
    txtNTP_Samples = AddSpinField(QStringLiteral("txtNTP_Samples"), Options::kSamplesBounds,
                                  QStringLiteral("回"), *samplesLine);
    samplesLabel->setBuddy(txtNTP_Samples);
    chkNTP_ShowDialog = AddCheckBox(QStringLiteral("chkNTP_ShowDialog"),
                                    QStringLiteral("同期実行時にダイアログを表示する(&I)"));
    chkNTP_Logging =
        AddCheckBox(QStringLiteral("chkNTP_Logging"), QStringLiteral("ログファイルに記録する(&L)"));
    Finish();

    connect(cmbServers, &QComboBox::editTextChanged, this, &OptionsPage::Changed);
    connect(cmbServers, &QComboBox::activated, this, &OptionsPage::Changed);
    connect(cmdTestNTP, &QPushButton::clicked, this, &SyncPage::SynchroniseNow);
    connect(txtNTPbyTimer_Interval, &SpinField::textChanged, this, &SyncPage::IntervalEdited);
}

SyncPage::~SyncPage() = default;

void SyncPage::Load(const Options::Form& f) {
    txtNTPbyTimer_Interval->SetText(QString::fromStdString(f.txtNTPbyTimer_Interval));
    txtNTP_PermissibleDelay->SetText(QString::fromStdString(f.txtNTP_PermissibleDelay));
    txtNTP_Samples->SetText(QString::fromStdString(f.txtNTP_Samples));
    txtNTPatResume_Delay->SetText(QString::fromStdString(f.txtNTPatResume_Delay));
    chkNTS->setChecked(f.chkNTS);
    chkNTPatRun->setChecked(f.chkNTPatRun);
    chkNTPatResume->setChecked(f.chkNTPatResume);
    chkNTPbyTimer->setChecked(f.chkNTPbyTimer);
    ShowText(*cmbServers, f.cmbServers);
    chkNTP_UsePermissibleDelay->setChecked(f.chkNTP_UsePermissibleDelay);
    chkNTP_ShowDialog->setChecked(f.chkNTP_ShowDialog);
    chkNTP_Logging->setChecked(f.chkNTP_Logging);
    RefreshLastSync();
}

void SyncPage::Save(Options::Form& f) const {
    f.cmbServers = TextOf(*cmbServers);
    f.chkNTS = chkNTS->isChecked();
    f.chkNTPatRun = chkNTPatRun->isChecked();
    f.chkNTPatResume = chkNTPatResume->isChecked();
    f.chkNTPbyTimer = chkNTPbyTimer->isChecked();
    f.txtNTPbyTimer_Interval = txtNTPbyTimer_Interval->NumberText();
    f.txtNTPatResume_Delay = txtNTPatResume_Delay->NumberText();
    f.chkNTP_UsePermissibleDelay = chkNTP_UsePermissibleDelay->isChecked();
    f.txtNTP_PermissibleDelay = txtNTP_PermissibleDelay->NumberText();
    f.txtNTP_Samples = txtNTP_Samples->NumberText();
    f.chkNTP_ShowDialog = chkNTP_ShowDialog->isChecked();
    f.chkNTP_Logging = chkNTP_Logging->isChecked();
}

void SyncPage::RefreshLastSync() {
    const std::string last = sources_.lastSyncText ? sources_.lastSyncText() : std::string();
    // A failed run leaves the last success (or "(不明)") as it was.
    if (!last.empty()) {
        lblNTP_LastModified->setText(QString::fromStdString(last));
    }
}

void SyncPage::RefreshStatus() {
    RefreshLastSync();
    lblNTPbyTimer->setText(QString::fromStdString(
        Options::NextSyncText(applied_.NTPbyTimer, sources_.clock(), applied_.NTPCountdown)));
}

void SyncPage::SynchroniseNow() {
    // The server as typed, applied or not; everything else as applied.
    const std::string server = TextOf(*cmbServers);
    // The dialog stays usable while the run waits; only a second run from
    // here is kept from queueing up behind the first.
    const bool hadFocus = cmdTestNTP->hasFocus();
    cmdTestNTP->setEnabled(false);
    QWidget* const movedTo = window()->focusWidget();
    const QPointer<SyncPage> alive(this);
    Q_EMIT synchroniseRequested(server);
    if (!alive) {
        return;
    }
    cmdTestNTP->setEnabled(true);
    if (hadFocus && window()->focusWidget() == movedTo) {
        // Disabling moved the focus on and nobody moved it since: it goes back.
        cmdTestNTP->setFocus();
    }
    RefreshLastSync();
}
