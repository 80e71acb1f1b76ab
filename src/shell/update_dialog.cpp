#include "update_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "cp1252.h"
#include "delphi_conv.h"
#include "desktop.h"
#include "folders.h"
#include "message_boxes.h"
#include "preferences.h"
#include "ressource.h"
#include "update_files.h"
#include "url_list.h"

namespace {
UpdateRunner& runner()
{
    static UpdateRunner r;
    return r;
}

QString caption(int id)
{
    return ToDisplay(GetCaptionText(id));
}

std::string lang(const QString& name)
{
    return ToCp1252(name).value_or("");
}

// Re-enables the check's controls whatever way the check ends.
struct CheckGuard {
    TForm_update& d;
    bool& busy;
    explicit CheckGuard(TForm_update& dialog, bool& busyFlag) : d(dialog), busy(busyFlag)
    {
        busy = true;
        for (QWidget* w : {static_cast<QWidget*>(d.Button3), static_cast<QWidget*>(d.Button1),
                           static_cast<QWidget*>(d.CheckBox1)})
            w->setEnabled(false);
    }
    ~CheckGuard()
    {
        busy = false;
        for (QWidget* w : {static_cast<QWidget*>(d.Button3), static_cast<QWidget*>(d.Button1),
                           static_cast<QWidget*>(d.CheckBox1)})
            w->setEnabled(true);
    }
};
} // namespace

TForm_update::TForm_update(QWidget* owner) : QDialog(owner)
{
    setObjectName("Form_update");
    resize(560, 480);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    PageControl1 = new QTabWidget(this);

    auto* connexion = new QWidget;
    Label4 = new QLabel(connexion);
    Label4->setObjectName("Label4");
    Label4->setAlignment(Qt::AlignCenter);
    QFont bold = Label4->font();
    bold.setBold(true);
    Label4->setFont(bold);
    ProgressBar1 = new QProgressBar(connexion);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setValue(0);
    UpdateTree = new QTreeWidget(connexion);
    UpdateTree->setObjectName("UpdateTree");
    UpdateTree->setColumnCount(3);
    UpdateTree->setHeaderHidden(true);
    UpdateTree->setRootIsDecorated(false);
    UpdateTree->setColumnWidth(0, 90);
    UpdateTree->setColumnWidth(1, 150);
    UpdateTree->setColumnWidth(2, 180);
    UpdateTree->header()->setMaximumSectionSize(200); // the status column never takes the row
    CheckBox1 = new QCheckBox(connexion);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setChecked(true);
    Button3 = new QPushButton(connexion);
    Button3->setObjectName("Button3");
    Button1 = new QPushButton(connexion);
    Button1->setObjectName("Button1");
    auto* connexionLayout = new QVBoxLayout(connexion);
    connexionLayout->addWidget(Label4);
    connexionLayout->addWidget(ProgressBar1);
    connexionLayout->addWidget(UpdateTree);
    auto* row = new QHBoxLayout;
    row->addWidget(CheckBox1);
    row->addStretch();
    row->addWidget(Button3);
    row->addWidget(Button1);
    connexionLayout->addLayout(row);
    PageControl1->addTab(connexion, "Connexion");

    auto* options = new QWidget;
    auto* proxy = new QGroupBox("Proxy: ", options);
    checkbox5 = new QCheckBox("Proxy server:", proxy);
    checkbox5->setObjectName("checkbox5");
    proxyserver_edit = new QLineEdit(proxy);
    proxyserver_edit->setObjectName("proxyserver_edit");
    proxyport_edit = new QLineEdit(proxy);
    proxyport_edit->setObjectName("proxyport_edit");
    // proxyport_editKeyPress: digits only, typed or pasted.
    proxyport_edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,5}"), proxyport_edit));
    CheckBox6 = new QCheckBox("Auth Nom:", proxy);
    CheckBox6->setObjectName("CheckBox6");
    proxyname_edit = new QLineEdit(proxy);
    proxyname_edit->setObjectName("proxyname_edit");
    proxypass_edit = new QLineEdit(proxy);
    proxypass_edit->setObjectName("proxypass_edit");
    proxypass_edit->setEchoMode(QLineEdit::Password);
    CheckBox7 = new QCheckBox("(Basic Auth)", proxy);
    CheckBox7->setObjectName("CheckBox7");
    auto* proxyLayout = new QGridLayout(proxy);
    proxyLayout->addWidget(checkbox5, 0, 0);
    proxyLayout->addWidget(proxyserver_edit, 0, 1);
    proxyLayout->addWidget(new QLabel("Port:", proxy), 0, 2);
    proxyLayout->addWidget(proxyport_edit, 0, 3);
    proxyLayout->addWidget(CheckBox6, 1, 0);
    proxyLayout->addWidget(proxyname_edit, 1, 1);
    proxyLayout->addWidget(new QLabel("Pass:", proxy), 1, 2);
    proxyLayout->addWidget(proxypass_edit, 1, 3);
    proxyLayout->addWidget(CheckBox7, 2, 0);
    auto* protocol = new QGroupBox("Protocol: ", options);
    protocol->setObjectName("RadioGroup1");
    RadioHttp10 = new QRadioButton("http 1.0", protocol);
    RadioHttp10->setObjectName("RadioHttp10");
    RadioHttp11 = new QRadioButton("http 1.1", protocol);
    RadioHttp11->setObjectName("RadioHttp11");
    auto* protocolLayout = new QHBoxLayout(protocol);
    protocolLayout->addWidget(RadioHttp10);
    protocolLayout->addWidget(RadioHttp11);
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(proxy);
    optionsLayout->addWidget(protocol);
    optionsLayout->addStretch();
    PageControl1->addTab(options, "Options");

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addWidget(PageControl1, 2);
    auto* frequency = new QHBoxLayout;
    frequency->addWidget(Label1);
    frequency->addWidget(ComboBox1, 1);
    layout->addLayout(frequency);
    layout->addWidget(StatusBar1);

    connect(Button1, &QPushButton::clicked, this, &TForm_update::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &TForm_update::Button3Click);
    connect(checkbox5, &QCheckBox::clicked, this, &TForm_update::checkbox5Click);
    connect(CheckBox6, &QCheckBox::clicked, this, &TForm_update::CheckBox6Click);
    IdHTTP1.onWork = [this](int64_t done, int64_t total) { IdHTTP1Work(done, total); };
    IdHTTP1.onStatus = [this](const std::string& text) { IdHTTP1Status(text); };

    // FormCreate
    RestartNeeded = false;
    PageAddress = UrlEntryAt(urlWebPage);
    FilesUpdated = false;
    Memo1->appendPlainText(caption(56));
    Memo1->appendPlainText(caption(57));
    Memo1->appendPlainText(QString());
    Memo1->appendPlainText(caption(101) + " " + DatabaseLang);
    setWindowTitle("Vmar Plotterwerk " + caption(61));
    for (int id = 44; id <= 48; ++id) ComboBox1->addItem(caption(id));
    // A value outside the choices selects none; it stays as it is unless the user chooses.
    ComboBox1->setCurrentIndex(Preferences.DATU >= 0 && Preferences.DATU <= 4 ? Preferences.DATU : -1);
    Label1->setText(caption(49));
    Button1->setText(caption(30));
    Button3->setText(caption(50));
    CheckBox1->setText(caption(129));
    proxyserver_edit->setText(FromCp1252(Preferences.PRXS));
    proxyport_edit->setText(QString::number(Preferences.PRXP));
    proxyname_edit->setText(FromCp1252(Preferences.PRXN));
    proxypass_edit->setText(FromCp1252(Preferences.PRXM));
    checkbox5->setChecked(!Preferences.PRXS.empty());
    checkbox5Click();
    CheckBox6->setChecked(!Preferences.PRXN.empty());
    CheckBox6Click();
    CheckBox7->setChecked(Preferences.PRXB);
    (Preferences.HTTP == 0 ? RadioHttp10 : RadioHttp11)->setChecked(true);

    IdHTTP1.limits.connectTimeoutMs = 10000;
    IdHTTP1.limits.idleTimeoutMs = 10000;
    IdHTTP1.limits.maxRedirects = 2;
}

TForm_update::~TForm_update() = default;

void TForm_update::checkbox5Click()
{
    const bool on = checkbox5->isChecked();
    CheckBox6->setEnabled(on);
    proxyserver_edit->setEnabled(on);
    proxyport_edit->setEnabled(on);
    if (!on) {
        CheckBox6->setChecked(false);
        proxyname_edit->setEnabled(false);
        proxypass_edit->setEnabled(false);
    }
}

void TForm_update::CheckBox6Click()
{
    proxyname_edit->setEnabled(CheckBox6->isChecked());
    proxypass_edit->setEnabled(CheckBox6->isChecked());
}

int TForm_update::RadioGroup1Index() const
{
    return RadioHttp10->isChecked() ? 0 : 1;
}

bool TForm_update::validproxy(bool report)
{
    std::string host, user, password;
    int port = 0;
    if (checkbox5->isChecked()) {
        auto h = ToCp1252(proxyserver_edit->text().trimmed());
        bool ok = false;
        port = proxyport_edit->text().toInt(&ok);
        if (!h || !ok || ProxyAddress(*h, port).empty()) {
            if (report) ShowRessourceMessage(16, false);
            return false;
        }
        host = *h;
    }
    if (CheckBox6->isChecked()) {
        auto u = ToCp1252(proxyname_edit->text());
        auto p = ToCp1252(proxypass_edit->text());
        if (!u || !p) {
            if (report) ShowRessourceMessage(16, false);
            return false;
        }
        user = *u;
        password = *p;
    }
    Preferences.PRXS = host;
    Preferences.PRXP = port;
    Preferences.PRXN = user;
    Preferences.PRXM = password;
    Preferences.PRXB = CheckBox7->isChecked();
    Preferences.HTTP = RadioGroup1Index();
    IdHTTP1.settings = HttpSettingsFromPreferences();
    return true;
}

QString TForm_update::UpdateTreeGetText(const ttreeup& entry, int column)
{
    switch (column) {
    case 0: return FromCp1252(entry.FileName);
    case 1: return ToDisplay(entry.StatusText);
    case 2: return ToDisplay(entry.Description);
    default: return QString();
    }
}

void TForm_update::rebuildRows()
{
    // Only the rows the comparison selected are in the tree, inserted at once: a list of
    // thousands of hidden rows would cost more than the comparison itself.
    UpdateTree->clear();
    rowItems_.assign(Entries.size(), nullptr);
    QList<QTreeWidgetItem*> rows;
    for (size_t i = 0; i < Entries.size(); ++i) {
        if (!Entries[i].Visible) continue;
        const ttreeup& e = Entries[i];
        rowItems_[i] = new QTreeWidgetItem(
            QStringList{UpdateTreeGetText(e, 0), UpdateTreeGetText(e, 1), UpdateTreeGetText(e, 2)});
        rows.append(rowItems_[i]);
    }
    UpdateTree->addTopLevelItems(rows);
}

void TForm_update::refreshRow(size_t index)
{
    if (index >= rowItems_.size() || !rowItems_[index]) return;
    for (int c = 0; c < 3; ++c) rowItems_[index]->setText(c, UpdateTreeGetText(Entries[index], c));
}

void TForm_update::IdHTTP1Work(int64_t done, int64_t total)
{
    const int max = int(std::min<int64_t>(std::max<int64_t>(total, done), INT32_MAX));
    ProgressBar1->setMaximum(std::max(max, 1));
    ProgressBar1->setValue(int(std::min<int64_t>(done, INT32_MAX)));
    StatusBar1->showMessage(total > 0 ? QString::number(done) + "/" + QString::number(total) : QString::number(done));
}

void TForm_update::IdHTTP1Status(const std::string& text)
{
    StatusBar1->showMessage(QString::fromStdString(text));
}

void TForm_update::IdHTTP1WorkEnd()
{
    StatusBar1->clearMessage();
}

bool TForm_update::check_update()
{
    // A failed fetch must not let the previous list be processed again.
    ListLines.clear();
    if (!validproxy()) return false;
    const std::string address = UrlEntryAt(urlWebPage) + UrlEntryAt(urlUpdate2) + UrlEntryAt(urlUpdate3);
    IdHTTP1.limits.maxBytes = kUpdateListCap;
    ProgressBar1->setValue(0);
    std::string body;
    const HttpResult r = IdHTTP1.get(address, body);
    IdHTTP1WorkEnd();
    if (!r.ok) {
        if (!IdHTTP1.wasAborted()) ShowRessourceMessage(0, false, r.error);
        return true;
    }
    ListLines = SplitListLines(body);
    return true;
}

void TForm_update::parse_update()
{
    UpdateList list;
    const bool french = InterfaceLang.toLower() == "francais";
    const bool ok = ::parse_update(ListLines, french, GetCaptionText(112), list);
    for (const std::string& line : list.News) Memo1->appendPlainText(ToDisplay(line));
    VersionRead = list.HasVersion;
    NewestVersion = list.NewestVersion;
    Entries = std::move(list.Entries);
    rebuildRows();
    if (!ok) ShowRessourceMessage(0, false, "update error");
}

void TForm_update::compare_files()
{
    CompareOutcome outcome;
    {
        BusyCursor cursor;
        UpdateTree->setUpdatesEnabled(false);
        StatusBar1->showMessage(caption(144));
        outcome = ::compare_files(Entries, ExeDir, CheckBox1->isChecked(), lang(InterfaceLang), lang(DatabaseLang),
                                  GetCaptionText(145), [] { QCoreApplication::processEvents(); });
        rebuildRows();
        StatusBar1->clearMessage();
        UpdateTree->setUpdatesEnabled(true);
    }
    if (outcome.folderFailed) ShowRessourceMessage(58, false);
    Label4->setText(caption(outcome.selected > 0 ? 58 : 59));
}

void TForm_update::telecharge_update()
{
    IdHTTP1.limits.maxBytes = 0;
    for (size_t i = 0; i < Entries.size(); ++i) {
        ttreeup& e = Entries[i];
        if (!e.Fetchable || !e.Visible) continue;
        if (IdHTTP1.wasAborted()) break;
        e.StatusText = GetCaptionText(146);
        refreshRow(i);
        QCoreApplication::processEvents();
        std::string error;
        switch (FetchEntry(IdHTTP1, ExeDir, e, error)) {
        case FetchResult::Replaced:
            FilesUpdated = true;
            e.StatusText = GetCaptionText(52);
            if (e.NeedsRestart) RestartNeeded = true;
            break;
        case FetchResult::DownloadFailed:
            IdHTTP1WorkEnd();
            e.StatusText = GetCaptionText(54);
            refreshRow(i);
            if (!IdHTTP1.wasAborted()) ShowRessourceMessage(0, false, error);
            break;
        case FetchResult::VerifyFailed:
            e.StatusText = GetCaptionText(53);
            break;
        }
        IdHTTP1WorkEnd();
        refreshRow(i);
    }
}

void TForm_update::Button3Click()
{
    if (busy_) return;
    bool closeNow = false;
    {
        CheckGuard guard(*this, busy_);
        Entries.clear();
        rebuildRows();
        Memo1->clear();
        NewestVersion.clear();
        VersionRead = false;
        if (!check_update()) return;
        if (!IsValidUpdateList(ListLines)) {
            Memo1->appendPlainText(caption(60));
            return;
        }
        ProgressBar1->setValue(0);
        parse_update();
        Memo1->verticalScrollBar()->setValue(Memo1->verticalScrollBar()->maximum());
        UpdateList offered;
        offered.HasVersion = VersionRead;
        offered.NewestVersion = NewestVersion;
        if (NewVersionOffered(offered) &&
            ShowRessourceMessage(34, true, NewestVersion, PageAddress) == kAnswerYes) {
            NewVersionAccepted = true;
            closeNow = true;
        } else {
            compare_files();
            telecharge_update();
        }
    }
    if (closeNow) accept();
}

void TForm_update::Button1Click()
{
    reject();
}

bool TForm_update::FormClose()
{
    // A program being ended keeps the proxy settings it had rather than asking again.
    const bool ending = IdHTTP1.wasAborted();
    if (!validproxy(!ending) && !ending) return false;
    Preferences.DATW = DateTimeToDays(QDateTime::currentDateTime());
    if (ComboBox1->currentIndex() >= 0) Preferences.DATU = ComboBox1->currentIndex();
    ListLines.clear();
    if (RestartNeeded && !ending) ShowRessourceMessage(14, false);
    return true;
}

void TForm_update::done(int result)
{
    if (busy_) return;
    if (!closed_) {
        if (!FormClose()) return;
        closed_ = true;
    }
    QDialog::done(result);
}

void setUpdateRunner(UpdateRunner r)
{
    runner() = std::move(r);
}

UpdateOutcome run_update_dialog(QWidget* owner)
{
    TForm_update dialog(owner);
    if (runner())
        runner()(dialog);
    else
        dialog.exec();
    return UpdateOutcome{dialog.FilesUpdated, dialog.NewVersionAccepted};
}
