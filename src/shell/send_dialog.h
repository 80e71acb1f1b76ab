#pragma once
// The sending dialog: hands the additions file to the maintainers by direct upload, by
// mail through the mail client, or by opening its folder for the user to send it by hand.
#include <functional>
#include <string>

#include <QDialog>

#include "http_client.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class Tmail_fic : public QDialog {
    Q_OBJECT
public:
    explicit Tmail_fic(QWidget* owner = nullptr); // FormCreate

    bool UploadAllowed = true; // set by the caller before the dialog shows

    // The upload; reply is the server's answer or the failure text.
    void send_http(std::string& reply);
    // The mail; reply stays empty on success and holds the failure text otherwise.
    void send_mail(std::string& reply);
    std::string upload_user() const;

    // No way of closing while a transfer runs: its state is in use.
    void done(int result) override;
    bool busy() const { return busy_; }

    QGroupBox* GroupBox1 = nullptr;
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr, *RadioButton3 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr;
    QLabel* Image1 = nullptr;
    HttpClient IdHTTP1;

public slots:
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override; // FormShow

private:
    bool busy_ = false;
};

// Runs the sending dialog modally (or through the runner a test installed) and frees it.
void run_send_dialog(QWidget* owner, bool uploadAllowed);
using SendRunner = std::function<void(Tmail_fic&)>;
void setSendRunner(SendRunner runner); // empty restores exec()

// The server's answer as the failure box shows it: at most 1,000 bytes.
std::string ShortReply(const std::string& reply);
