// The update and send buttons of the real main window, with the real dialogs driven by
// mouse and key events, against the local HTTP fixture server.

#include <optional>

#include "compressed.h"
#include "delphi_conv.h"
#include "desktop.h"
#include "fake_mail_client.h"
#include "http_client.h"
#include "http_server.h"
#include "main_window_fixture.h"
#include "send_additions.h"
#include "send_dialog.h"
#include "termination.h"
#include "update_dialog.h"
#include "test_util.h"
#include "url_list.h"

namespace {
// A program folder whose endpoints lead to the fixture server, with both dialogs hooked in.
struct ExchangeFixture : MainWindowFixture {
    HttpServer server;
    QString additionsName;
    std::string additionsBytes;

    ExchangeFixture()
    {
        // Never at start: the tests press the update button themselves.
        writePrefs("[DATU]=4\r\n");
        const std::vector<uint8_t> urls =
            MakeUrlBin({"1", "cartes@example.org", server.url("/"), "files/", "liste.txt", server.url("/upload")});
        writeFile("database/" + QString::fromStdString(database()) + "/url.bin",
                  std::string(urls.begin(), urls.end()));
        additionsName = MakeAdditionsFileName(QString::fromStdString(database()));
        additionsBytes = "#v250-id=111111-x\r\n#v2.52\r\n";
        for (int i = 0; i < 6; ++i) additionsBytes += "@\xE9l\xE9ment " + std::to_string(i) + "|\r\n";
        writeFile("ajouts/" + additionsName, additionsBytes);
    }
    ~ExchangeFixture()
    {
        setSendRunner({});
        setUpdateRunner({});
        setUrlOpener({});
    }
    std::unique_ptr<TForm4> startHooked()
    {
        MainWindowDialogs d = dialogs();
        d.update = [](QWidget* owner) { return run_update_dialog(owner); };
        d.send = [](QWidget* owner, bool allowed) { run_send_dialog(owner, allowed); };
        auto w = std::make_unique<TForm4>(exe, d);
        w->FormActivate();
        w->show();
        return w;
    }
    std::string nameBytes() const { return ToCp1252(additionsName).value(); }
    // What the user does in the send or update dialog, once it is on screen.
    int dialogsShown = 0;
    void onSend(std::function<void(Tmail_fic&)> user) { setSendRunner([this, user](Tmail_fic& d) { ++dialogsShown; d.show(); user(d); }); }
    void onUpdate(std::function<void(TForm_update&)> user)
    {
        setUpdateRunner([this, user](TForm_update& d) { ++dialogsShown; d.show(); user(d); });
    }
    // Records the page or folder the program opens.
    void recordOpened(QString& opened, bool foldersOnly = false)
    {
        setUrlOpener([&opened, foldersOnly](const QString& page, bool isFolder) {
            if (isFolder || !foldersOnly) opened = page;
            return true;
        });
    }
    // Runs the main loop until the program quits (two seconds at most).
    static void runUntilQuit()
    {
        QTimer safetyNet;
        safetyNet.setSingleShot(true);
        QObject::connect(&safetyNet, &QTimer::timeout, qApp, &QCoreApplication::quit);
        safetyNet.start(2000);
        QCoreApplication::exec();
    }
    void clickSend(TForm4& w)
    {
        if (!w.but_editmode->isChecked()) QTest::mouseClick(w.but_editmode, Qt::LeftButton);
        QCoreApplication::processEvents(); // the tool bar shows the button on its next layout
        ASSERT_TRUE(w.but_mail->isVisible());
        QTest::mouseClick(w.but_mail, Qt::LeftButton);
    }
};
} // namespace

TEST(SendCommand, UploadsMailsOrRefusesTheAdditionsFile)
{
    ExchangeFixture f;
    auto w = f.startHooked();
    Preferences.PSEU = "Jean Paul";
    f.onSend([&](Tmail_fic& d) {
        EXPECT_TRUE(d.RadioButton1->isEnabled());
        EXPECT_TRUE(d.RadioButton1->isChecked());
        QTest::mouseClick(d.Button1, Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
    });
    f.clickSend(*w);
    ASSERT_EQ(f.dialogsShown, 1);
    // The form itself is checked byte for byte by the exchange tests; here: who and what.
    const auto requests = f.server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].body.find("\r\n\r\n" + f.database() + "_jeanpaul\r\n"), std::string::npos);
    EXPECT_NE(requests[0].body.find(f.additionsBytes), std::string::npos);
    EXPECT_TRUE(f.boxes.saw(messageText(30, kProductName, f.nameBytes())));

    // A refusal shows the server's answer, cut to 1,000 bytes, as plain text.
    const std::string refusal = "<b>refus\xE9</b>" + std::string(2000, 'x');
    f.server.put("reply.txt", refusal);
    f.onSend([](Tmail_fic& d) { QTest::keyClick(d.Button1, Qt::Key_Space); });
    f.clickSend(*w);
    EXPECT_TRUE(f.boxes.saw(messageText(27, f.nameBytes(), refusal.substr(0, 1000))));

    // Past 64,000 bytes the file goes by mail; the folder choice opens it silently.
    const QString file = "ajouts/" + f.additionsName;
    f.writeFile(file, f.additionsBytes + std::string(64001 - f.additionsBytes.size(), 'z'));
    FakeMailClient mailClient(0);
    f.onSend([&](Tmail_fic& d) {
        EXPECT_FALSE(d.RadioButton1->isEnabled());
        EXPECT_EQ(d.RadioButton1->text(), ToDisplay(GetCaptionText(166)));
        EXPECT_TRUE(d.RadioButton2->isChecked());
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    });
    f.boxes.shown.clear();
    f.clickSend(*w);
    const std::vector<std::string> argv = mailClient.argv();
    ASSERT_EQ(argv.size(), 7u);
    EXPECT_EQ(QString::fromUtf8(argv[1]), ToDisplay(FormatRessource(GetInfoText(18), f.nameBytes())));
    EXPECT_EQ(QString::fromUtf8(argv[5]), f.exe + file);
    EXPECT_EQ(argv[6], "cartes@example.org");
    EXPECT_TRUE(f.boxes.saw(messageText(30, kProductName, f.nameBytes())));
    EXPECT_EQ(f.server.requests().size(), 2u);
    QString opened;
    f.recordOpened(opened, true);
    f.boxes.shown.clear();
    f.onSend([](Tmail_fic& d) {
        QTest::mouseClick(d.RadioButton3, Qt::LeftButton);
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    });
    f.clickSend(*w);
    EXPECT_EQ(opened, f.exe + "ajouts/");
    EXPECT_TRUE(f.boxes.shown.empty());

    // A missing, empty or header-only file is reported before the dialog.
    f.onSend([](Tmail_fic& d) { ADD_FAILURE() << "dialog shown"; d.close(); });
    const std::string header = "#v250-id=111111-x\r\n#v2.52\r\n";
    const std::pair<std::optional<std::string>, int> empty[] = {{"", 31}, {std::nullopt, 28}, {header, 31}};
    for (const auto& [bytes, message] : empty) {
        QFile::remove(f.exe + file);
        if (bytes) f.writeFile(file, *bytes);
        f.clickSend(*w);
        EXPECT_EQ(lastFeedback(*w), messageText(message, f.nameBytes()).section('\n', -1)) << message;
    }
    // Five lines or fewer: asked first; No sends nothing.
    f.writeFile(file, header + "a|\r\nb|\r\nc|\r\n");
    f.boxes.answers = {kAnswerNo};
    f.clickSend(*w);
    EXPECT_TRUE(f.boxes.saw(messageText(61, f.nameBytes())));
}

TEST(SendCommand, SendsTheFileTheProgramSavesWhateverTheCaseOfItsName)
{
    ExchangeFixture f;
    // The file copied from a system that ignores letter case, its name in small letters.
    const QString lower = f.additionsName.toLower();
    ASSERT_NE(lower, f.additionsName);
    ASSERT_TRUE(QDir(f.exe + "ajouts").rename(f.additionsName, lower));
    auto w = f.startHooked();
    Preferences.PSEU = "Jean Paul";
    f.onSend([](Tmail_fic& d) { QTest::mouseClick(d.Button1, Qt::LeftButton); });
    f.clickSend(*w);
    ASSERT_EQ(f.server.requests().size(), 1u);
    EXPECT_NE(f.server.requests()[0].body.find(f.additionsBytes), std::string::npos);
    EXPECT_TRUE(f.boxes.saw(messageText(30, kProductName, f.nameBytes())));

    // By mail, the attachment is that file too.
    f.writeFile("ajouts/" + lower, f.additionsBytes + std::string(64001 - f.additionsBytes.size(), 'z'));
    FakeMailClient mailClient(0);
    f.clickSend(*w);
    const std::vector<std::string> argv = mailClient.argv();
    ASSERT_EQ(argv.size(), 7u);
    EXPECT_EQ(QString::fromUtf8(argv[5]), f.exe + "ajouts/" + lower);
}

TEST(SendCommand, ASilentServerTimesOutAndTheDialogCannotCloseMeanwhile)
{
    ExchangeFixture f;
    auto w = f.startHooked();
    UrlList[urlUpload] = f.server.url("/slow");
    bool visibleAfterEscape = false;
    f.onSend([&](Tmail_fic& d) {
        d.IdHTTP1.limits.idleTimeoutMs = 600;
        const test_wait::WhenReady closeMeanwhile([] { return AnyTransferBusy(); },
                                                  [&] {
                                                      QTest::keyClick(&d, Qt::Key_Escape);
                                                      QTest::mouseClick(d.Button2, Qt::LeftButton);
                                                      visibleAfterEscape = d.isVisible();
                                                  },
                                                  "the upload is under way");
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    });
    f.clickSend(*w);
    EXPECT_TRUE(visibleAfterEscape);
    EXPECT_TRUE(f.boxes.saw(messageText(27, f.nameBytes(), "Read timed out")));
}

// Through a proxy that asks for a password, with Basic sent only after its 407 (the
// default) and sent at once: the upload, which allows no redirect, arrives each time.
TEST(SendCommand, UploadsThroughAProxyThatAsksForAPassword)
{
    ExchangeFixture f;
    HttpServer proxy("user:secret", true);
    ASSERT_GT(proxy.port, 0);
    f.writePrefs("[DATU]=4\r\n[PRXS]=127.0.0.1\r\n[PRXP]=" + std::to_string(proxy.port) +
                 "\r\n[PRXN]=user\r\n[PRXM]=secret\r\n[PRXB]=False\r\n");
    auto w = f.startHooked();
    for (bool basicFirst : {false, true}) {
        Preferences.PRXB = basicFirst;
        f.boxes.shown.clear();
        f.onSend([](Tmail_fic& d) { QTest::mouseClick(d.Button1, Qt::LeftButton); });
        f.clickSend(*w);
        EXPECT_TRUE(f.boxes.saw(messageText(30, kProductName, f.nameBytes()))) << basicFirst;
        EXPECT_FALSE(f.boxes.saw(messageText(27, f.nameBytes(), "Maximum (0) redirects followed"))) << basicFirst;
    }
    const auto uploads = f.server.requests();
    ASSERT_EQ(uploads.size(), 2u);
    for (const RecordedRequest& r : uploads) EXPECT_NE(r.body.find(f.additionsBytes), std::string::npos);
    // The first upload asked the proxy without the password, then with it; the second sent it at once.
    const auto asked = proxy.requests();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].header("Proxy-Authorization"), "<none>");
    EXPECT_EQ(asked[1].header("Proxy-Authorization"), "Basic dXNlcjpzZWNyZXQ=");
    EXPECT_EQ(asked[2].header("Proxy-Authorization"), "Basic dXNlcjpzZWNyZXQ=");
}

namespace {
std::string fileLine(const std::string& name, const std::string& folder, const std::string& content,
                     const std::string& url, const std::string& kind = "all", const std::string& restart = "0")
{
    return "FILE=" + name + "|" + folder + "|" + Md5Hex(content) + "|" + url + "|desc|0|" + restart + "|" + kind + "\r\n";
}
} // namespace

TEST(UpdateCommand, ProxyPortChecksDownloadsReloadsAndNoClosingDuringAFetch)
{
    ExchangeFixture f;
    const std::string readme = "nouveau readme";
    f.server.put("readme.txt", readme);
    f.server.put("liste.txt", "MESS=Bonjour\r\nMESE=Hello\r\nVERS=v2.52\r\n" +
                                  fileLine("readme.txt", "", readme, f.server.url("/files/readme.txt"), "all", "1") +
                                  fileLine("other.txt", "", "x", f.server.url("/files/x"), "bas_autre") +
                                  "EOF\r\n");
    auto w = f.startHooked();
    // A bad proxy port sends nothing and keeps the dialog open until it is mended.
    f.onUpdate([&](TForm_update& d) {
        d.PageControl1->setCurrentIndex(1);
        QTest::mouseClick(d.checkbox5, Qt::LeftButton);
        EXPECT_TRUE(d.proxyport_edit->isEnabled());
        typeInto(d.proxyserver_edit, "127.0.0.1");
        typeInto(d.proxyport_edit, "9x9999"); // the letter is refused
        EXPECT_EQ(d.proxyport_edit->text(), "99999");
        d.PageControl1->setCurrentIndex(0);
        QTest::mouseClick(d.Button3, Qt::LeftButton);
        EXPECT_TRUE(f.boxes.saw(messageText(16)));
        QTest::mouseClick(d.Button1, Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
        QTest::mouseClick(d.checkbox5, Qt::LeftButton);
        QTest::mouseClick(d.Button1, Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
    });
    QTest::mouseClick(w->but_autoup, Qt::LeftButton);
    EXPECT_TRUE(f.server.requests().empty());
    EXPECT_TRUE(Preferences.PRXS.empty());

    Preferences.DATU = 2;
    f.onUpdate([&](TForm_update& d) {
        QTest::mouseClick(d.Button3, Qt::LeftButton);
        EXPECT_TRUE(d.Memo1->toPlainText().contains("Bonjour"));
        EXPECT_FALSE(d.Memo1->toPlainText().contains("Hello"));
        ASSERT_EQ(d.UpdateTree->topLevelItemCount(), 1); // the other database's file is not shown
        EXPECT_EQ(d.UpdateTree->topLevelItem(0)->text(0), "readme.txt");
        EXPECT_EQ(d.UpdateTree->topLevelItem(0)->text(1), ToDisplay(GetCaptionText(52)));
        EXPECT_EQ(d.Label4->text(), ToDisplay(GetCaptionText(58)));
        EXPECT_TRUE(d.Button3->isEnabled());
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
    });
    const double before = DateTimeToDays(QDateTime::currentDateTime());
    QTest::mouseClick(w->but_autoup, Qt::LeftButton);
    ASSERT_EQ(f.dialogsShown, 2);
    EXPECT_EQ(readBytes(f.exe + "readme.txt"), readme);
    EXPECT_TRUE(f.boxes.saw(messageText(14)));    // the restart flag
    EXPECT_GE(Preferences.DATW, before);          // closing stamps the date
    EXPECT_EQ(Preferences.DATU, 2);
    EXPECT_GT(w->MyTreeStore.locationCount(), 200u); // reloaded
    EXPECT_FALSE(w->NewVersionAccepted);

    // While a list is fetched the dialog stays; a fetch that fails shows nothing of the last.
    f.onUpdate([&](TForm_update& d) {
        QTest::mouseClick(d.Button3, Qt::LeftButton);
        EXPECT_TRUE(d.Memo1->toPlainText().contains("Bonjour"));
        UrlList[urlUpdate2] = "slow";
        UrlList[urlUpdate3] = "";
        d.IdHTTP1.limits.idleTimeoutMs = 600;
        bool visibleAfterEscape = false, busy = false;
        const test_wait::WhenReady closeMeanwhile([] { return AnyTransferBusy(); },
                                                  [&] {
                                                      busy = AnyTransferBusy();
                                                      QTest::keyClick(&d, Qt::Key_Escape);
                                                      d.close();
                                                      visibleAfterEscape = d.isVisible();
                                                  },
                                                  "the list is being fetched");
        QTest::mouseClick(d.Button3, Qt::LeftButton);
        EXPECT_TRUE(busy);
        EXPECT_TRUE(visibleAfterEscape);
        EXPECT_TRUE(f.boxes.saw("Read timed out"));
        EXPECT_TRUE(d.Memo1->toPlainText().contains(ToDisplay(GetCaptionText(60))));
        EXPECT_FALSE(d.Memo1->toPlainText().contains("Bonjour"));
        d.close();
        EXPECT_FALSE(d.isVisible());
    });
    QTest::mouseClick(w->but_autoup, Qt::LeftButton);
    EXPECT_EQ(f.dialogsShown, 3);
}

// An update list behind two redirects, through a proxy that asks for a password, set up
// on the dialog's options page with Basic left off: the list and the file it names arrive.
TEST(UpdateCommand, AListBehindTwoRedirectsThroughAProxyThatAsksForAPassword)
{
    ExchangeFixture f;
    HttpServer proxy("user:secret", true);
    ASSERT_GT(proxy.port, 0);
    const std::string readme = "par le proxy";
    f.server.put("readme.txt", readme);
    f.server.put("liste.txt", "MESS=Bonjour\r\n" +
                                  fileLine("readme.txt", "", readme, f.server.url("/redirect/1/files/readme.txt")) +
                                  "EOF\r\n");
    auto w = f.startHooked();
    UrlList[urlUpdate2] = "redirect/2/files/";
    f.onUpdate([&](TForm_update& d) {
        d.PageControl1->setCurrentIndex(1);
        QTest::mouseClick(d.checkbox5, Qt::LeftButton);
        typeInto(d.proxyserver_edit, "127.0.0.1");
        typeInto(d.proxyport_edit, QString::number(proxy.port));
        QTest::mouseClick(d.CheckBox6, Qt::LeftButton);
        typeInto(d.proxyname_edit, "user");
        typeInto(d.proxypass_edit, "secret");
        EXPECT_FALSE(d.CheckBox7->isChecked());
        d.PageControl1->setCurrentIndex(0);
        QTest::mouseClick(d.Button3, Qt::LeftButton);
        EXPECT_TRUE(d.Memo1->toPlainText().contains("Bonjour"));
        ASSERT_EQ(d.UpdateTree->topLevelItemCount(), 1);
        EXPECT_EQ(d.UpdateTree->topLevelItem(0)->text(1), ToDisplay(GetCaptionText(52)));
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    });
    QTest::mouseClick(w->but_autoup, Qt::LeftButton);
    ASSERT_EQ(f.dialogsShown, 1);
    EXPECT_TRUE(f.boxes.shown.empty());
    EXPECT_EQ(readBytes(f.exe + "readme.txt"), readme);
    std::vector<std::string> lines;
    for (const RecordedRequest& r : f.server.requests()) lines.push_back(r.line);
    EXPECT_EQ(lines, (std::vector<std::string>{"GET /redirect/2/files/liste.txt HTTP/1.1",
                                               "GET /redirect/1/files/liste.txt HTTP/1.1", "GET /files/liste.txt HTTP/1.1",
                                               "GET /redirect/1/files/readme.txt HTTP/1.1", "GET /files/readme.txt HTTP/1.1"}));
    const auto asked = proxy.requests();
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked[0].header("Proxy-Authorization"), "<none>");
    EXPECT_EQ(Preferences.PRXN, "user");
    EXPECT_FALSE(Preferences.PRXB);
}

// A stored frequency that is none of the choices shows none and stays as it is when the
// dialog closes without a choice; a choice replaces it.
TEST(UpdateCommand, AFrequencyOutsideTheChoicesStaysUntilOneIsChosen)
{
    ExchangeFixture f;
    f.writePrefs("[DATU]=7\r\n");
    auto w = f.startHooked();
    EXPECT_EQ(f.dialogsShown, 0); // not at start
    f.onUpdate([](TForm_update& d) {
        EXPECT_EQ(d.ComboBox1->currentIndex(), -1);
        QTest::mouseClick(d.Button1, Qt::LeftButton);
    });
    QTest::mouseClick(w->but_autoup, Qt::LeftButton);
    ASSERT_EQ(f.dialogsShown, 1);
    EXPECT_EQ(Preferences.DATU, 7);
    w.reset();
    EXPECT_TRUE(f.readFile("pref.ini").contains("[DATU]=7\r\n"));

    w = f.startHooked();
    f.onUpdate([](TForm_update& d) {
        d.ComboBox1->setFocus();
        QTest::keyClick(d.ComboBox1, Qt::Key_Down);
        EXPECT_EQ(d.ComboBox1->currentIndex(), 0);
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    QTest::mouseClick(w->but_autoup, Qt::LeftButton);
    ASSERT_EQ(f.dialogsShown, 2);
    EXPECT_EQ(Preferences.DATU, 0);
}

TEST(UpdateCommand, ANewVersionOpensItsPageAndEndsTheProgram)
{
    ExchangeFixture f;
    f.server.put("liste.txt", "VERS=<b>v3</b>\r\nEOF\r\n");
    auto w = f.startHooked();
    QString opened;
    f.recordOpened(opened);
    f.boxes.answers = {kAnswerYes};
    f.onUpdate([&](TForm_update& d) {
        QTest::mouseClick(d.Button3, Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
    });
    QTest::mouseClick(w->but_autoup, Qt::LeftButton);
    EXPECT_TRUE(f.boxes.saw(messageText(34, "<b>v3</b>", f.server.url("/"))));
    EXPECT_TRUE(w->NewVersionAccepted);
    EXPECT_EQ(opened.toStdString(), f.server.url("/"));
    // The quit that follows closes the window the normal way: unsaved additions are asked.
    w->toggle_tagnew(true);
    f.boxes.answers = {kAnswerNo};
    f.boxes.shown.clear();
    f.runUntilQuit();
    EXPECT_TRUE(f.boxes.saw(messageText(1, f.nameBytes())));
    EXPECT_FALSE(w->isVisible());
}

TEST(UpdateCommand, StartUpFrequency)
{
    // [DATU], the days since the last check, and whether the start checks.
    for (auto [datu, age, expected] : {std::tuple{3, 6.5, 0}, {3, 7.0, 1}, {4, -1.0, 1}, {0, 0.0, 1}, {1, 0.5, 0}}) {
        MainWindowFixture f;
        const double when = DateTimeToDays(QDateTime::currentDateTime()) - age;
        f.writePrefs("[DATU]=" + std::to_string(datu) + "\r\n[DATW]=" + FloatToStrComma(when) + "\r\n");
        int runs = 0;
        setUpdateRunner([&](TForm_update& d) {
            ++runs;
            d.show();
            QTest::mouseClick(d.Button1, Qt::LeftButton);
        });
        MainWindowDialogs d = f.dialogs();
        d.update = [](QWidget* owner) { return run_update_dialog(owner); };
        TForm4 w(f.exe, d);
        setUpdateRunner({});
        EXPECT_EQ(runs, expected) << datu << " " << age;
    }
}

TEST(UpdateCommand, TerminationDuringACheckAbortsItThenClosesDialogAndWindow)
{
    ExchangeFixture f;
    auto w = f.startHooked();
    UrlList[urlUpdate2] = "slow";
    UrlList[urlUpdate3] = "";
    Preferences.DATW = 0;
    TerminationHandler termination;
    termination.setWindow(w.get());
    QEventLoop mainLoop;
    termination.quit = [&] { mainLoop.quit(); };
    bool dialogReturned = false;
    QElapsedTimer clock;
    clock.start();
    std::optional<test_wait::WhenReady> requestMeanwhile;
    const test_wait::WhenReady check([] { return qobject_cast<TForm_update*>(QApplication::activeModalWidget()); },
                                     [&] {
                                         auto* d = qobject_cast<TForm_update*>(QApplication::activeModalWidget());
                                         d->IdHTTP1.limits.idleTimeoutMs = 20000;
                                         // The request arrives during the fetch.
                                         requestMeanwhile.emplace([] { return AnyTransferBusy(); },
                                                                  [&] { termination.request(); },
                                                                  "the list is being fetched");
                                         QTest::mouseClick(d->Button3, Qt::LeftButton);
                                     },
                                     "the update dialog is up");
    QTimer::singleShot(0, [&] {
        termination.mainLoopStarted();
        QTest::mouseClick(w->but_autoup, Qt::LeftButton); // the real dialog, run modally
        dialogReturned = true;
    });
    QTimer::singleShot(8000, &mainLoop, &QEventLoop::quit);
    mainLoop.exec();
    EXPECT_TRUE(dialogReturned);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(w->isVisible());
    EXPECT_GT(Preferences.DATW, 0.0); // the dialog closed the normal way
    EXPECT_FALSE(f.boxes.saw("Transfer aborted"));
}

TEST(UpdateCommand, ANewVersionAcceptedAtStartOpensThePageInsteadOfLoading)
{
    ExchangeFixture f;
    f.server.put("liste.txt", "VERS=v2.60\r\nEOF\r\n");
    f.writePrefs("[DATU]=0\r\n");
    QString opened;
    f.recordOpened(opened);
    f.boxes.answers = {kAnswerYes};
    f.onUpdate([](TForm_update& d) { QTest::mouseClick(d.Button3, Qt::LeftButton); });
    auto w = f.startHooked();
    EXPECT_EQ(opened.toStdString(), f.server.url("/"));
    EXPECT_EQ(w->MyTreeStore.locationCount(), 0u); // no database was loaded
    f.runUntilQuit();
    EXPECT_FALSE(w->isVisible());
}

TEST(UrlListFile, ReadsBackAndSurvivesBadFiles)
{
    QTemporaryDir dir;
    DatabaseLangDir = dir.path() + "/";
    struct Case {
        const char* what;
        std::optional<std::vector<uint8_t>> bytes; // none: no file
        bool read;
        int tag; // the language tag after the load
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {"whole", MakeUrlBin({"7", "mail@example.org", "http://127.0.0.1/", "a", "b", "http://127.0.0.1/up"}),
         true, 7, {"mail@example.org", "http://127.0.0.1/", "a", "b", "http://127.0.0.1/up"}},
        {"damaged: the tag stays", MakeUrlBin({"x", "mail"}), false, 7, {}},
        {"the tag alone", MakeUrlBin({"3"}), true, 3, {}},
        {"lone CR line ends", MakeUrlBin({"5\rmail\rhttp://127.0.0.1/"}), true, 5,
         {"mail", "http://127.0.0.1/"}},
        {"missing", std::nullopt, false, 5, {}},
        {"not inflatable", std::vector<uint8_t>{1, 2, 3}, false, 5, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(DatabaseLangDir + "url.bin");
        if (c.bytes) writeBytes(DatabaseLangDir + "url.bin", std::string(c.bytes->begin(), c.bytes->end()));
        EXPECT_EQ(load_urllist(), c.read);
        EXPECT_EQ(CurrentLangTag, c.tag);
        EXPECT_EQ(UrlList, c.entries);
        EXPECT_EQ(UrlEntryAt(urlUpload), c.entries.size() > 4 ? "http://127.0.0.1/up" : "");
    }
    DatabaseLangDir.clear();
}

TEST(UpdateCommand, ARowThroughASymbolicLinkLeadingOutsideIsRefusedAndNeverFetched)
{
    ExchangeFixture f;
    QTemporaryDir outsideDir;
    const QString outside = outsideDir.path() + "/";
    writeBytes(outside + "zone.jpg", "outside");
    ASSERT_TRUE(QFile::link(outside, f.exe + "maps_link"));
    f.server.put("zone.jpg", "new zone");
    f.server.put("liste.txt", "MESS=Bonjour\r\nVERS=v2.52\r\n" +
                                  fileLine("zone.jpg", "maps_link\\", "new zone", f.server.url("/files/zone.jpg")) +
                                  fileLine("fresh.jpg", "maps_link\\sub\\", "new zone", f.server.url("/files/zone.jpg")) +
                                  "EOF\r\n");
    auto w = f.startHooked();
    f.onUpdate([&](TForm_update& d) {
        QTest::mouseClick(d.Button3, Qt::LeftButton);
        ASSERT_EQ(d.UpdateTree->topLevelItemCount(), 2);
        for (int row = 0; row < 2; ++row)
            EXPECT_EQ(d.UpdateTree->topLevelItem(row)->text(1), ToDisplay(GetCaptionText(145))) << row;
        EXPECT_TRUE(f.boxes.saw(messageText(58)));
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    QTest::mouseClick(w->but_autoup, Qt::LeftButton);
    ASSERT_EQ(f.dialogsShown, 1);
    EXPECT_EQ(readBytes(outside + "zone.jpg"), "outside");
    EXPECT_EQ(QDir(outside).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"zone.jpg"});
}
