#include "about_dialog.h"

#include <string>
#include <vector>

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include "compressed.h"
#include "cp1252.h"
#include "file_io.h"
#include "folders.h"
#include "log.h"
#include "memory_stream.h"
#include "path_resolver.h"
#include "ressource.h"
#include "ressource_widgets.h"
#include "text_files.h"
#include "window_system.h"

namespace {

constexpr const char* kAboutTitle = "Vmar Plotterwerk v2.52 | ";

// Lines from the first one on, as the memo shows them.
QString joinLines(const std::vector<std::string>& lines, size_t first = 0)
{
    QStringList shown;
    for (size_t i = first; i < lines.size(); ++i) shown << FromCp1252(lines[i]);
    return shown.join('\n');
}

// A read-only, borderless memo with a vertical scroll bar on a white raised panel that
// fills the page.
QPlainTextEdit* addMemoPage(QWidget* page)
{
    auto* panel = new QFrame(page);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    panel->setPalette(white);
    panel->setAutoFillBackground(true);

    auto* memo = new QPlainTextEdit(panel);
    memo->setReadOnly(true);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setPalette(white);

    auto* inner = new QVBoxLayout(panel);
    inner->setContentsMargins(2, 2, 2, 2);
    inner->addWidget(memo);
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel);
    return memo;
}

void centreOnScreen(QWidget* dialog, QWidget* owner)
{
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    dialog->move(area.center() - dialog->rect().center());
}

} // namespace

TForm5::TForm5(QWidget* owner, bool creditsPage)
    : QDialog(owner, kTitleOnlyDialog)
{
    setObjectName("Form5");
    setFixedSize(442, 419);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setDocumentMode(true); // flat tabs
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName("TabSheet1");
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName("TabSheet2");
    // The page captions are the same in every language.
    PageControl1->addTab(TabSheet1, QStringLiteral("Infos"));
    PageControl1->addTab(TabSheet2, QString::fromUtf8("Crédits"));
    Memo1 = addMemoPage(TabSheet1);
    Memo1->setObjectName("Memo1");
    Memo2 = addMemoPage(TabSheet2);
    Memo2->setObjectName("Memo2");

    auto* bottom = new QWidget(this);
    bottom->setObjectName("Panel1");
    Button1 = new QPushButton(bottom);
    Button1->setObjectName("Button1");
    Button1->setProperty("Tag", 30);
    Button1->setDefault(true);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(8, 6, 8, 8);
    bottomLayout->addStretch(1);
    bottomLayout->addWidget(Button1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(bottom);

    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);

    setWindowTitle(FromCp1252(kAboutTitle + GetCaptionText(29)));
    loadReadme();
    TranslateForm(this);
    loadCredits();

    if (creditsPage) PageControl1->setCurrentWidget(TabSheet2);
    centreOnScreen(this, owner);
}

void TForm5::loadReadme()
{
    // The readme's first two lines are its title block, which the box's caption replaces.
    const auto name = FindEntryNoCase(ExeDir, "readme.txt");
    const auto lines = name ? ReadSmallTextLines(ExeDir + *name) : std::nullopt;
    if (!lines) {
        Memo1->setPlainText(ToDisplay(GetCaptionText(41)));
        return;
    }
    // A readme of fewer than two lines leaves the page empty.
    Memo1->setPlainText(joinLines(*lines, 2));
}

void TForm5::loadCredits()
{
    if (DatabaseLangDir.isEmpty()) return;
    const auto name = FindEntryNoCase(DatabaseLangDir, "creditlist.inf");
    if (!name) return;
    // The heading through ToDisplay: a caption text may hold CR breaks.
    QStringList shown{ToDisplay(GetCaptionText(80)), QString()};
    for (const std::string& line : ReadCreditLines(DatabaseLangDir + *name))
        shown << FromCp1252(line);
    Memo2->setPlainText(shown.join('\n'));
}

void TForm5::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Button1->setFocus();
}

void TForm5::Button1Click()
{
    accept();
}
