#pragma once
// The update dialog: fetches the update list, shows its news, offers a new program
// version, and downloads the changed program and data files that concern the user. It
// also edits the proxy settings and how often it opens at start.
#include <functional>
#include <string>
#include <vector>

#include <QDialog>

#include "http_client.h"
#include "update_list.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

class TForm_update : public QDialog {
    Q_OBJECT
public:
    explicit TForm_update(QWidget* owner = nullptr); // FormCreate
    ~TForm_update() override;

    // What the dialog reports to the main window.
    bool FilesUpdated = false;       // at least one file was replaced
    bool NewVersionAccepted = false; // the user wants the new version's web page

    bool RestartNeeded = false;
    std::string NewestVersion;
    bool VersionRead = false;           // the list named a version
    std::vector<std::string> ListLines; // lines of the last fetched list
    std::string PageAddress;            // the program's web page
    std::vector<ttreeup> Entries;       // the list's entries; UpdateTree shows the selected ones

    // The check and its steps.
    bool check_update();
    void parse_update();
    void compare_files();
    void telecharge_update();
    // Copies the proxy controls into the settings and the settings into the client. False,
    // with message S16 (when report) and nothing changed, when the proxy host or port is
    // not valid.
    bool validproxy(bool report = true);
    // The text of a row's column: file name, status, description.
    static QString UpdateTreeGetText(const ttreeup& entry, int column);

    // No way of closing while a check runs: its state is in use.
    void done(int result) override;
    bool busy() const { return busy_; }

    QPlainTextEdit* Memo1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QLabel* Label4 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QTreeWidget* UpdateTree = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton *Button3 = nullptr, *Button1 = nullptr;
    QCheckBox *checkbox5 = nullptr, *CheckBox6 = nullptr, *CheckBox7 = nullptr;
    QLineEdit *proxyserver_edit = nullptr, *proxyport_edit = nullptr, *proxyname_edit = nullptr,
              *proxypass_edit = nullptr;
    QRadioButton *RadioHttp10 = nullptr, *RadioHttp11 = nullptr; // the radio group RadioGroup1
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    HttpClient IdHTTP1;

public slots:
    void Button1Click();
    void Button3Click();
    void checkbox5Click();
    void CheckBox6Click();

private:
    bool FormClose(); // False when the dialog must stay open
    int RadioGroup1Index() const;
    void rebuildRows();
    void refreshRow(size_t index);
    void IdHTTP1Work(int64_t done, int64_t total);
    void IdHTTP1WorkEnd();
    void IdHTTP1Status(const std::string& text);
    std::vector<QTreeWidgetItem*> rowItems_; // per entry, nullptr when its row is not shown
    bool busy_ = false;
    bool closed_ = false;
};

// Runs the update dialog modally (or through the runner a test installed) and frees it.
UpdateOutcome run_update_dialog(QWidget* owner);
using UpdateRunner = std::function<void(TForm_update&)>;
void setUpdateRunner(UpdateRunner runner); // empty restores exec()
