// The wizard driven as a user drives it, on the sample system of tools/gen_demo_system.py.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "EmulatedSystem.h"
#include "ScriptedUserPrompt.h"
#include "app/ConverterApp.h"
#include "platform/Prefix.h"
#include "records/URLDB.h"
#include "records/URLInfo.h"
#include "selection/ExtractionConditions.h"
#include "support/QuitRequest.h"
#include "wizard/ColorButton.h"
#include "wizard/ColorStatic.h"
#include "wizard/ConversionWizard.h"
#include "wizard/DlgBasePPage.h"
#include "wizard/DlgWizard05.h"
#include "wizard/ProfileListView.h"
#include "wizard/QtUserPrompt.h"
#include "wizard/QtWizardHost.h"
#include "wizard/UserChoiceDialog.h"

namespace {

const char* const kOutput = "C:\\Output";

template <typename T>
T* Control(QWidget* page, const char* id) {
    T* control = page->findChild<T*>(QString::fromLatin1(id));
    if (!control) qFatal("no control %s on page %s", id, qPrintable(page->objectName()));
    return control;
}

DlgBasePPage* Current(QWizard& wizard) {
    return qobject_cast<DlgBasePPage*>(wizard.currentPage());
}

// The identifiers of the highlighted step labels, joined by blanks.
QString Highlighted(DlgBasePPage* page) {
    QStringList ids;
    for (int i = 0; i < StepPanel::kStepCount; ++i) {
        if (page->Steps().Label(i)->IsHighlighted()) ids << page->Steps().Label(i)->objectName();
    }
    return ids.join(' ');
}

// The wizard buttons offered: "B" Back, "N" Next, "F" Finish, then the Cancel text.
QString Buttons(QWizard& wizard) {
    QString state;
    auto offered = [&](QAbstractButton* b) { return b->isVisible() && b->isEnabled(); };
    if (offered(wizard.button(QWizard::CustomButton1))) state += 'B';
    if (offered(wizard.button(QWizard::NextButton))) state += 'N';
    if (offered(wizard.button(QWizard::FinishButton))) state += 'F';
    return state + ' ' + wizard.button(QWizard::CancelButton)->text();
}

// The status boxes 1053, 1054, 1055, 1057, 1058, 1056, 1059, 1060: X ticked, O unticked,
// lower case when disabled.
QString StatusBoxes(QWidget* page) {
    QString state;
    for (const char* id : {"1053", "1054", "1055", "1057", "1058", "1056", "1059", "1060"}) {
        auto* box = Control<ColorButton>(page, id);
        QChar c = box->isChecked() ? 'X' : 'O';
        state += box->isEnabled() ? c : c.toLower();
    }
    return state;
}

void Click(QWidget* page, const char* id) {
    Control<QAbstractButton>(page, id)->click();
}

bool TreeHoldsFile(const std::string& nativeFolder, const char* utf8Name) {
    namespace fs = std::filesystem;
    for (const auto& entry : fs::recursive_directory_iterator(nativeFolder)) {
        if (entry.path().filename() == fs::path(utf8Name)) return true;
    }
    return false;
}

}  // namespace

class WizardTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void WholeConversion();
    void ConditionsPageRules();
    void ConditionsPageWithoutRecords();
    void CancelOnFirstPageStillShutsDown();
    void MessageBoxesAnswerWithTheButtonPressed();
    void QuitRequestClosesTheWizard();
    void FolderChooserAnswersAnInternalPath();
    void UserChoiceAnswersThePickedUser();

private:
    // Generates the sample system into the emulated one, urldb.db into the working folder;
    // returns the number of Korvadel records.
    int GenerateSample(EmulatedSystem& system);
};

void WizardTest::initTestCase() {
    qputenv("PENNAWICK_OPEN_FOLDER", "true");
}

int WizardTest::GenerateSample(EmulatedSystem& system) {
    const QString urldb = QString::fromStdString(
        system.Native(std::string(EmulatedSystem::kWorkingFolder) + "urldb.db"));
    QProcess generator;
    generator.start(QStringLiteral("python3"), {QStringLiteral(PENNAWICK_DEMO_GENERATOR),
                                                QString::fromStdString(system.Root()), urldb,
                                                QString::number(EmulatedSystem::kNow)});
    if (!generator.waitForFinished(60000) || generator.exitCode() != 0) {
        qFatal("the sample generator failed: %s", generator.readAllStandardError().constData());
    }
    platform::Prefix::Reset();
    QFile file(urldb);
    file.open(QIODevice::ReadOnly);
    return file.readLine().mid(5).trimmed().toInt();
}

void WizardTest::WholeConversion() {
    EmulatedSystem system;
    const int records = GenerateSample(system);
    system.MakeFolder(kOutput);
    ScriptedUserPrompt prompt;
    prompt.folders.push_back(std::string(kOutput));
    ConverterApp app;
    app.CreateSharedObjects();
    QVERIFY(app.HasSharedObjects());
    ConversionWizard wizard(app);
    wizard.show();
    QCOMPARE(wizard.windowTitle(), QStringLiteral("Pennawick"));
    QCOMPARE(wizard.minimumSize(), wizard.maximumSize());
    QVERIFY(QFontMetrics(Current(wizard)->font()).inFont(QChar(0x3042)));

    // Step 1: the Korvadel database.
    DlgBasePPage* page = Current(wizard);
    QCOMPARE(Highlighted(page), QStringLiteral("1020"));
    QCOMPARE(Buttons(wizard), QString::fromUtf8("N キャンセル"));
    QCOMPARE(wizard.button(QWizard::NextButton)->text(), QString::fromUtf8("次へ(&N) >"));
    QCOMPARE(wizard.button(QWizard::CustomButton1)->text(), QString::fromUtf8("< 戻る(&B)"));
    QVERIFY(Control<ColorButton>(page, "1048")->isChecked());
    wizard.next();
    QCOMPARE(prompt.messages.size(), size_t(1));
    QCOMPARE(Utf8(prompt.messages[0].text),
             "Korvadelのお気に入り[" + std::to_string(records) + "]件を取込ました。");
    QCOMPARE(Utf8(prompt.messages[0].caption), std::string("URLDB取込完了"));

    // Step 2: every detected profile, each imported.
    page = Current(wizard);
    QCOMPARE(Highlighted(page), QStringLiteral("1021"));
    QCOMPARE(Control<ColorStatic>(page, "1021")->text(), QString::fromUtf8("お気に入り取込"));
    QCOMPARE(Buttons(wizard), QString::fromUtf8("N キャンセル"));
    auto* list = Control<ProfileListView>(page, "1051");
    QStringList headers;
    for (int c = 0; c < list->columnCount(); ++c) {
        headers << list->headerItem()->text(c) + '/' + QString::number(list->columnWidth(c));
    }
    QCOMPARE(headers.join(' '),
             QString::fromUtf8("取込数/40 ブラウザ/60 ユーザー/80 フォルダ/ファイル/180"));
    QCOMPARE(list->headerItem()->textAlignment(0) & Qt::AlignHorizontal_Mask, int(Qt::AlignRight));
    QStringList kinds;
    for (int r = 0; r < list->topLevelItemCount(); ++r) kinds << list->topLevelItem(r)->text(1);
    QCOMPARE(kinds.join(' '), QStringLiteral("I.E. NNv4 NNv4 NNv6 NNv6 NNv7 NNv7 Opera6"));
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("    0"));
    for (int r = 0; r < list->topLevelItemCount(); ++r) {
        list->setCurrentItem(list->topLevelItem(r));
        Click(page, "1052");
        QVERIFY2(list->topLevelItem(r)->text(0).trimmed().toInt() > 0, qPrintable(kinds[r]));
    }
    QCOMPARE(list->topLevelItem(6)->text(2), QString::fromUtf8("仕事"));
    wizard.next();

    // Step 3: drop bookmarks Korvadel does not hold; the reset locks the number fields.
    page = Current(wizard);
    QCOMPARE(Highlighted(page), QStringLiteral("1024"));
    Click(page, "1043");
    Click(page, "1019");
    wizard.next();

    // Step 4: every format.
    page = Current(wizard);
    QCOMPARE(Highlighted(page), QStringLiteral("1025"));
    QCOMPARE(Buttons(wizard), QString::fromUtf8("BN キャンセル"));
    for (const char* id : {"1044", "1045", "1046", "1047", "1048", "1050"}) Click(page, id);
    prompt.messages.clear();
    Click(page, "1032");
    QCOMPARE(prompt.folderTitles.size(), size_t(1));
    QCOMPARE(prompt.messages.size(), size_t(6));
    for (const auto& message : prompt.messages) {
        QVERIFY2(message.caption.empty() && message.buttons == UserPrompt::Buttons::Ok,
                 Utf8(message.text).c_str());
    }
    const std::string out = std::string(kOutput) + "\\";
    for (const char* file :
         {"Korvadel\\urldb_light.db", "Netscape4x\\bookmark.htm", "Netscape6x\\bookmarks.html",
          "Netscape7x\\bookmarks.html", "Opera6\\Opera6.adr"}) {
        QVERIFY2(!system.ReadFile(out + file).empty(), file);
    }
    // Seoul is bookmarked only in Internet Explorer and unknown to Korvadel; Taipei is known.
    const std::string microsoft = system.Native(out + "Microsoft");
    QVERIFY(TreeHoldsFile(microsoft, "台北の夜市.url"));
    QVERIFY(!TreeHoldsFile(microsoft, "ソウル観光.url"));
    const std::string netscape4 = system.ReadFile(out + "Netscape4x\\bookmark.htm");
    QVERIFY(netscape4.find(Sjis("台北の夜市")) != std::string::npos);
    QVERIFY(netscape4.find(Sjis("ソウル観光")) == std::string::npos);

    // Back and Next again: neither page is initialised a second time, so the number fields stay
    // locked and the outputs made still count (Next asks nothing).
    wizard.button(QWizard::CustomButton1)->click();
    QCOMPARE(Highlighted(Current(wizard)), QStringLiteral("1024"));
    QCOMPARE(Buttons(wizard), QString::fromUtf8("N キャンセル"));
    QVERIFY(Control<ColorButton>(Current(wizard), "1019")->isChecked());
    QVERIFY(!Control<QLineEdit>(Current(wizard), "1012")->isEnabled());
    wizard.next();
    QCOMPARE(Current(wizard), page);
    prompt.messages.clear();
    wizard.next();
    QVERIFY(prompt.messages.empty());

    // Step 5: the profiles with their counts; the buttons need a selection.
    page = Current(wizard);
    QCOMPARE(Highlighted(page), QStringLiteral("1026"));
    QCOMPARE(Buttons(wizard), QString::fromUtf8("N キャンセル"));
    list = Control<ProfileListView>(page, "1051");
    QCOMPARE(list->topLevelItemCount(), 8);
    QVERIFY(list->topLevelItem(7)->text(0).trimmed().toInt() > 0);
    prompt.messages.clear();
    Click(page, "1035");
    QCOMPARE(prompt.messages.size(), size_t(1));
    QCOMPARE(Utf8(prompt.messages[0].text), std::string("選択されている項目がありません。"));
    QCOMPARE(Utf8(prompt.messages[0].caption), std::string("コピー元フォルダ"));
    list->setCurrentItem(list->topLevelItem(0));
    Click(page, "1035");
    Click(page, "1036");
    QCOMPARE(prompt.messages.size(), size_t(1));
    wizard.next();

    // Step 6: Finish only, Cancel reads Close.
    page = Current(wizard);
    QCOMPARE(Highlighted(page), QStringLiteral("1027"));
    QCOMPARE(Buttons(wizard), QString::fromUtf8("F 閉じる"));
    QCOMPARE(wizard.button(QWizard::FinishButton)->text(), QString::fromUtf8("完了"));
    QVERIFY(!wizard.button(QWizard::HelpButton)->isVisible());
    wizard.button(QWizard::FinishButton)->click();
    QCOMPARE(wizard.result(), int(QDialog::Accepted));
}

void WizardTest::ConditionsPageRules() {
    EmulatedSystem system;
    ExtractionConditions conditions;
    URLDB database(0, 0, 30);
    database.Add(std::make_unique<URLInfo>("http://www.example.jp/"), false);
    DlgBasePSheet sheet;
    auto* page = new DlgWizard05(conditions, database);
    sheet.AddPage(page);
    sheet.show();

    // Without status selection the boxes show the defaults, disabled.
    QCOMPARE(StatusBoxes(page), QStringLiteral("xxxooxoo"));
    Click(page, "1010");
    QCOMPARE(StatusBoxes(page), QStringLiteral("XXXooXoo"));
    Click(page, "1055");
    QCOMPARE(StatusBoxes(page), QStringLiteral("XXOOOXoo"));
    Click(page, "1058");
    Click(page, "1056");
    QCOMPARE(StatusBoxes(page), QStringLiteral("XXOOXOOO"));
    Click(page, "1055");
    QCOMPARE(StatusBoxes(page), QStringLiteral("XXXoxOOO"));

    // Digits only, at most eight of them.
    auto* references = Control<QLineEdit>(page, "1012");
    references->clear();
    QTest::keyClicks(references, QStringLiteral("12a3456789"));
    QCOMPARE(references->text(), QStringLiteral("12345678"));
    Control<QComboBox>(page, "1016")->setCurrentIndex(3);

    // Next stores what is shown, disabled boxes included.
    QVERIFY(page->validatePage());
    ExtractionConditions::Values expected;
    expected.StatusSelect = 1;
    expected.Status403 = 1;
    expected.Status500OrMore = 0;
    expected.MinReferenceCount = 12345678;
    expected.LastRequestRange = 3;
    QVERIFY(conditions.GetValues() == expected);

    // The reset clears the page, not the conditions, and locks the number fields.
    Click(page, "1019");
    Click(page, "1043");
    QVERIFY(!Control<ColorButton>(page, "1019")->isChecked());
    QCOMPARE(references->text(), QStringLiteral("0"));
    QVERIFY(!references->isEnabled() && !Control<QLineEdit>(page, "1018")->isEnabled());
    QCOMPARE(StatusBoxes(page), QStringLiteral("xxxooxoo"));
    QCOMPARE(Control<QComboBox>(page, "1016")->currentIndex(), 0);
    QVERIFY(conditions.GetValues() == expected);
    Click(page, "1010");
    QCOMPARE(StatusBoxes(page), QStringLiteral("XXXoxOOO"));
    Click(page, "1010");
    QVERIFY(page->validatePage());
    QVERIFY(conditions.GetValues() == ExtractionConditions::Values{});
}

void WizardTest::ConditionsPageWithoutRecords() {
    EmulatedSystem system;
    ExtractionConditions conditions;
    ExtractionConditions::Values values;
    values.DeleteUnheld = 1;
    values.MinErrorCount = 5;
    values.StatusSelect = 1;
    values.Status401 = 1;
    values.LastNormalRange = 2;
    conditions.SetValues(values);
    URLDB empty(0, 0, 30);
    DlgBasePSheet sheet;
    auto* page = new DlgWizard05(conditions, empty);
    sheet.AddPage(page);
    sheet.show();

    QVERIFY(Control<ColorButton>(page, "1019")->isChecked());
    QCOMPARE(Control<QLineEdit>(page, "1018")->text(), QStringLiteral("5"));
    QCOMPARE(Control<QComboBox>(page, "1017")->currentIndex(), 2);
    QCOMPARE(StatusBoxes(page), QStringLiteral("XXXxoXoo"));
    for (const char* id : {"1019", "1012", "1018", "1010", "1011", "1015", "1016", "1017"}) {
        QVERIFY2(!Control<QWidget>(page, id)->isEnabled(), id);
    }
    QVERIFY(page->validatePage());
    QVERIFY(conditions.GetValues() == values);
}

void WizardTest::CancelOnFirstPageStillShutsDown() {
    EmulatedSystem system;
    ScriptedUserPrompt prompt;
    ConverterApp app;
    QtWizardHost host;
    QString shownStep;
    QTimer::singleShot(0, [&shownStep] {
        auto* wizard = qobject_cast<QWizard*>(QApplication::activeModalWidget());
        if (!wizard) return;
        shownStep = Highlighted(Current(*wizard));
        wizard->button(QWizard::CancelButton)->click();
    });
    app.InitInstance(host, std::string(EmulatedSystem::kWorkingFolder) + "pennawick.exe");
    QCOMPARE(shownStep, QStringLiteral("1020"));
    QVERIFY(!app.GetFavoritesFile() && !app.GetFavoritesSetup() && !app.GetURLDB() &&
            !app.GetExtractionConditions());
    const std::string settings =
        system.ReadFile(std::string(EmulatedSystem::kWorkingFolder) + "pennawick.ini");
    QVERIFY2(settings.find("WORKFOLDER=C:\\Pennawick\\") != std::string::npos, settings.c_str());
    QVERIFY(prompt.messages.empty());
}

void WizardTest::MessageBoxesAnswerWithTheButtonPressed() {
    using B = UserPrompt::Buttons;
    using A = UserPrompt::Answer;
    struct Case {
        B buttons;
        const char* caption;
        const char* texts;  // the buttons shown, the last one is pressed
        A answer;
        const char* title;
    };
    const Case cases[] = {
        {B::Ok, "", "OK", A::Ok, "Pennawick"},
        {B::OkCancel, "URLDB取込失敗", "OK キャンセル", A::Cancel, "URLDB取込失敗"},
        {B::YesNo, "確認", "はい(&Y) いいえ(&N)", A::No, "確認"},
        {B::YesNoCancel, "", "はい(&Y) いいえ(&N) キャンセル", A::Cancel, "Pennawick"},
        {B::RetryCancel, "", "再試行(&R) キャンセル", A::Cancel, "Pennawick"},
    };
    QtUserPrompt prompt;
    for (const Case& c : cases) {
        QString title;
        QStringList texts;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            title = box->windowTitle();
            for (QAbstractButton* button : box->buttons()) texts << button->text();
            texts.sort();
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == QString::fromUtf8(c.texts).split(' ').last()) button->click();
            }
        });
        A answer = prompt.ShowMessage(Sjis("テスト"), Sjis(c.caption), c.buttons,
                                      UserPrompt::Icon::Information);
        QStringList expected = QString::fromUtf8(c.texts).split(' ');
        expected.sort();
        QCOMPARE(texts, expected);
        QCOMPARE(title, QString::fromUtf8(c.title));
        QVERIFY(answer == c.answer);
    }
}

void WizardTest::QuitRequestClosesTheWizard() {
    EmulatedSystem system;
    ScriptedUserPrompt prompt;
    ConverterApp app;
    app.CreateSharedObjects();
    ConversionWizard wizard(app);
    wizard.show();
    QuitRequest::Raise();
    wizard.next();
    QuitRequest::Clear();
    QVERIFY(!wizard.isVisible());
    QCOMPARE(wizard.result(), int(QDialog::Rejected));
}

void WizardTest::FolderChooserAnswersAnInternalPath() {
    EmulatedSystem system;
    system.MakeFolder(Sjis("C:\\出力先"));
    QtUserPrompt prompt;
    QString title;
    auto choose = [&](bool accept) {
        QTimer::singleShot(0, [&title, &system, accept] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            title = dialog->windowTitle();
            dialog->setDirectory(QString::fromStdString(system.Native("C:\\")));
            dialog->selectFile(QString::fromStdString(system.Native(Sjis("C:\\出力先"))));
            if (accept) {
                QMetaObject::invokeMethod(dialog, "accept");
            } else {
                dialog->reject();
            }
        });
    };
    choose(true);
    std::optional<std::string> folder = prompt.AskFolder(Sjis("フォルダを選択してください。"));
    QCOMPARE(title, QString::fromUtf8("フォルダを選択してください。"));
    QVERIFY(folder.has_value());
    QVERIFY2(Utf8(*folder) == "C:\\出力先", Utf8(*folder).c_str());
    choose(false);
    QVERIFY(!prompt.AskFolder(Sjis("フォルダを選択してください。")).has_value());
}

void WizardTest::UserChoiceAnswersThePickedUser() {
    const std::vector<std::string> users{"Hanako", "taro", "花子"};
    QStringList shown;
    auto choose = [&](int row) {
        QTimer::singleShot(0, [&shown, row] {
            auto* dialog = qobject_cast<UserChoiceDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            auto* list = dialog->findChild<QListWidget*>();
            shown.clear();
            for (int i = 0; i < list->count(); ++i) shown << list->item(i)->text();
            if (row < 0) {
                dialog->reject();
                return;
            }
            list->setCurrentRow(row);
            dialog->accept();
        });
    };
    choose(2);
    QCOMPARE(UserChoiceDialog::Ask(users, "/mnt/xp"), std::optional<std::string>("花子"));
    QCOMPARE(shown, (QStringList{"Hanako", "taro", QString::fromUtf8("花子")}));
    choose(-1);
    QVERIFY(!UserChoiceDialog::Ask(users, "/mnt/xp").has_value());
}

QTEST_MAIN(WizardTest)
#include "WizardTest.moc"
