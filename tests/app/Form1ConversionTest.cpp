#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/FileDialog.h"
#include "app/Form1.h"
#include "app/MainMenu.h"
#include "app/SpinEdit.h"
#include "tape/ConversionPlan.h"
#include "tests/app/ShownBoxes.h"
#include "tests/support/CliRunner.h"
#include "tests/support/MachineFeatures.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"
#include "tests/support/ScratchFolder.h"

using namespace kvetro;

namespace {

// What the window shows each time pending messages are processed.
struct TSnapshot {
  QStringList Timing;  // SpinEdit1 to SpinEdit4
  bool ButtonEnabled = true;
  bool operator==(const TSnapshot&) const = default;
};

const QStringList kStandardShown{"9", "11", "18", "19"};
const QStringList kDefaultShown{"3", "1", "3", "2"};

class TWindowUnderTest {
 public:
  TWindowUnderTest() {
    Button1 = Form.findChild<QPushButton*>("Button1");
    for (const char* Name : {"SpinEdit1", "SpinEdit2", "SpinEdit3", "SpinEdit4", "SpinEdit5",
                             "SpinEdit6", "SpinEdit7"}) {
      Edits.push_back(Form.findChild<TSpinEdit*>(Name));
    }
  }

  void SetText(int Index, const QString& Text) {
    Edits[static_cast<std::size_t>(Index)]->findChild<QLineEdit*>()->setText(Text);
  }
  void Set(const std::vector<std::int32_t>& Values) {
    for (std::size_t I = 0; I < Values.size(); ++I) {
      Edits[I]->SetValue(Values[I]);
    }
  }

  TSnapshot Now() const {
    TSnapshot Shot;
    for (int I = 0; I < 4; ++I) {
      Shot.Timing << Edits[static_cast<std::size_t>(I)]->findChild<QLineEdit*>()->text();
    }
    Shot.ButtonEnabled = Button1->isEnabled();
    return Shot;
  }

  // Clicks the start button and records what the window shows whenever the
  // run lets pending messages through: a zero timer fires in each pass of
  // message processing (maybe more than once), so repeats are dropped.
  std::vector<TSnapshot> ClickAndWatch() {
    std::vector<TSnapshot> Seen;
    QTimer Watch;
    Watch.setInterval(0);
    QObject::connect(&Watch, &QTimer::timeout, [&] {
      if (Seen.empty() || !(Seen.back() == Now())) {
        Seen.push_back(Now());
      }
    });
    Watch.start();
    Button1->click();
    Watch.stop();
    return Seen;
  }

  // The same, with the two dialogs answered (nothing: cancelled) and Boxes
  // message boxes acknowledged.
  std::vector<TSnapshot> Convert(const std::optional<std::string>& Input,
                                 const std::optional<std::string>& Output, int Boxes = 0) {
    const auto Answer = [](const std::optional<std::string>& Name) {
      return Name ? std::optional(QString::fromStdString(*Name)) : std::nullopt;
    };
    Form.OpenDialog().QueueAnswer(Answer(Input));
    Form.SaveDialog().QueueAnswer(Answer(Output));
    for (int I = 0; I < Boxes; ++I) {
      Form.MessageBoxes().QueueAnswer();
    }
    return ClickAndWatch();
  }

  // Drags the files over the window and drops them: whether each was taken.
  std::pair<bool, bool> Drop(const QList<QUrl>& Urls) {
    QMimeData Data;
    Data.setUrls(Urls);
    QDragEnterEvent Enter(QPoint(150, 150), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Form, &Enter);
    QDropEvent Dropped(QPointF(150, 150), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Form, &Dropped);
    return std::pair(Enter.isAccepted(), Dropped.isAccepted());
  }

  // Drops the answers of dialogs that were not asked.
  void ForgetAnswers() {
    while (Form.OpenDialog().QueuedAnswers() > 0) {
      Form.OpenDialog().Choose();
    }
    while (Form.SaveDialog().QueuedAnswers() > 0) {
      Form.SaveDialog().Choose();
    }
  }

  QStringList Shown() { return test::ShownBoxes(Form.MessageBoxes()); }

  TForm1 Form;
  QPushButton* Button1 = nullptr;
  std::vector<TSpinEdit*> Edits;
};

bool Exists(const std::string& Name) {
  return QFile::exists(QString::fromStdString(Name));
}

using TNames = std::vector<std::string>;

// kvetro-cli's answer to the same settings, as one line of text.
QString CliLines(const test::TCliResult& Result) {
  return QString::fromStdString(Result.ExitCode == 0 ? Result.OutText() : Result.Errors).trimmed();
}

// As the user chooses in the menu.
void Choose(TMainMenu& Menu, TTapeLayoutChoice Layout, int Rate, bool Invert) {
  Menu.LayoutAction(Layout).trigger();
  Menu.RateAction(Rate).trigger();
  if (Menu.InvertAction().isChecked() != Invert) {
    Menu.InvertAction().trigger();
  }
}

}  // namespace

class Form1ConversionTest : public QObject {
  Q_OBJECT

 private slots:
  // One window converts again and again to the same name: the loader at the
  // standard timing, shown while it goes out, then the body at the user's
  // timing as the boxes read, the button disabled throughout.
  void ConversionsWriteTheReferenceFileAndShowBothTimings() {
    const struct {
      const char* Name;
      std::vector<std::int32_t> Values;  // the seven boxes
      int TextBox;                       // -1: none
      const char* Text;
      expected::Conversion Read;
    } Cases[] = {
        {"the_users_settings", {4, 2, 5, 3, 7, 120, 60}, -1, "", {{4, 2, 5, 3}, 7, 120, 60}},
        {"other_settings", {1, 1, 2, 2, 200, 0, 0}, -1, "", {{1, 1, 2, 2}, 200, 0, 0}},
        // Text that is no number reads as the box's minimum.
        {"no_number", {3, 1, 3, 2, 1, 10, 10}, 0, "abc", {{1, 1, 3, 2}, 1, 10, 10}},
        // Digits beyond 32 bits read as the nearest end of the range.
        {"beyond_32_bits",
         {3, 1, 128, 128, 1, 10, 10},
         0,
         "99999999999",
         {{128, 1, 128, 128}, 1, 10, 10}},
    };
    test::TScratchFolder Folder("window");
    const test::TBytes File = test::MakeMzf(300, 300);
    const std::string Input = Folder.Write("game.mzf", File);
    const std::string Output = Folder.PathOf("game.wav");
    TWindowUnderTest Window;
    for (const auto& Case : Cases) {
      Window.Set(Case.Values);
      if (Case.TextBox >= 0) {
        Window.SetText(Case.TextBox, QString::fromLatin1(Case.Text));
      }
      const expected::Timing& T = Case.Read.User;
      const QStringList User = {QString::number(T.Log0Lo), QString::number(T.Log0Hi),
                                QString::number(T.Log1Lo), QString::number(T.Log1Hi)};
      const std::vector<TSnapshot> Seen = Window.Convert(Input, Output);
      QVERIFY2((Seen == std::vector<TSnapshot>{{kStandardShown, false}, {User, false}}), Case.Name);
      QVERIFY2((Window.Now() == TSnapshot{User, true}), Case.Name);
      QVERIFY2(Window.Shown().isEmpty(), Case.Name);
      QCOMPARE(Window.Form.OpenDialog().QueuedAnswers(), std::size_t{0});
      QCOMPARE(Window.Form.SaveDialog().QueuedAnswers(), std::size_t{0});
      QVERIFY2(test::ReadFile(Output) == expected::ConvertedFile(File, Case.Read), Case.Name);
    }
  }

  // The menu's layouts and rates, and the levels turned over, write what
  // kvetro-cli writes with the same settings, and the footer's tip tells
  // what kvetro-cli --info tells of the tape. In the machine's own layouts
  // the open dialog takes several files, which (or several dropped) make
  // one tape in the order given; the fast loader refuses several.
  void EachLayoutAndRateWritesWhatKvetroCliWrites() {
    using enum TTapeLayoutChoice;
    const struct {
      TTapeLayoutChoice Layout;
      int Rate;
      bool Invert;
      TNames Options;
      int Files = 1;  // 2: a second chosen with it; -2: the two dropped
    } Cases[] = {
        {FastLoader, 44100, false, {}},
        {FastLoader, 48000, true, {"--rate", "48000", "--invert"}},
        {Standard, 44100, true, {"--standard", "--invert"}},
        {Standard, 22050, false, {"--standard", "--rate", "22050"}},
        {StandardNoCopies, 48000, false, {"--standard", "--no-copies", "--rate", "48000"}},
        {Standard, 44100, false, {"--standard"}, 2},
        {StandardNoCopies, 48000, false, {"--standard", "--no-copies", "--rate", "48000"}, -2},
    };
    test::TScratchFolder Folder("window");
    const std::string Input = Folder.Write("game.mzf", test::RandomMzf(700, 700, 5));
    const std::string Data = Folder.Write("data.mzf", test::RandomMzf(300, 300, 6));
    const QList<QUrl> Both{QUrl::fromLocalFile(Input.c_str()), QUrl::fromLocalFile(Data.c_str())};
    const std::string Output = Folder.PathOf("game.wav");
    TWindowUnderTest Window;
    for (const auto& Case : Cases) {
      Choose(Window.Form.Menu(), Case.Layout, Case.Rate, Case.Invert);
      QCOMPARE(Window.Form.OpenDialog().fileMode() == QFileDialog::ExistingFiles,
               Case.Layout != FastLoader);
      const TNames Inputs = Case.Files == 1 ? TNames{Input} : TNames{Input, Data};
      if (Case.Files < 0) {
        QVERIFY(Window.Drop(Both).second);
      }
      Window.Form.OpenDialog().QueueAnswer(
          QStringList{Input.c_str(), Data.c_str()}.mid(0, Case.Files == 1 ? 1 : 2));
      Window.Convert(std::nullopt, Output);  // the open dialog's cancel is not reached
      Window.ForgetAnswers();
      TNames Arguments = Case.Options;
      Arguments.insert(Arguments.end(), Inputs.begin(), Inputs.end());
      Arguments.push_back(Folder.PathOf("cli.wav"));
      QCOMPARE(test::RunCli(Arguments).ExitCode, 0);
      QVERIFY2(test::ReadFile(Output) == test::ReadFile(Folder.PathOf("cli.wav")),
               qPrintable(QString::number(Case.Rate)));
      Arguments.back() = "--info";
      QCOMPARE(Window.Form.findChild<QLabel*>("Label10")->toolTip(),
               CliLines(test::RunCli(Arguments)));
    }
    QCOMPARE(Window.Shown(), QStringList());
    Choose(Window.Form.Menu(), FastLoader, 44100, false);
    QVERIFY(Window.Drop(Both).second);
    const std::string Fast = Folder.PathOf("fast.wav");
    Window.Convert(std::nullopt, Fast, 1);
    QCOMPARE(Window.Shown(),
             QStringList{"plain Kvetro: " + CliLines(test::RunCli({Input, Data, Fast}))});
    QVERIFY(!Exists(Fast));
  }

  // The machine's own layouts have no use for the monitor constant and the
  // gaps. A timing that the layout started with follows the layout (the
  // standard timing for the machine's own), one the user typed stays.
  void TheMachinesLayoutsDisableTheFastLoadersBoxes() {
    using enum TTapeLayoutChoice;
    const struct {
      std::vector<std::int32_t> Typed;  // empty: the boxes as they stand
      TTapeLayoutChoice Layout;
      QStringList Timing;
      bool FastBoxes;
    } Steps[] = {
        {{}, Standard, kStandardShown, false},
        {{}, StandardNoCopies, kStandardShown, false},
        {{}, FastLoader, kDefaultShown, true},
        {{4, 2, 5, 3}, Standard, {"4", "2", "5", "3"}, false},
        {{}, FastLoader, {"4", "2", "5", "3"}, true},
        {{9, 11, 18, 19}, FastLoader, kStandardShown, true},
    };
    TWindowUnderTest Window;
    for (const auto& Step : Steps) {
      Window.Set(Step.Typed);
      Window.Form.Menu().LayoutAction(Step.Layout).trigger();
      QCOMPARE(Window.Now().Timing, Step.Timing);
      for (std::size_t Box = 4; Box < 7; ++Box) {
        QCOMPARE(Window.Edits[Box]->isEnabled(), Step.FastBoxes);
      }
    }
    QCOMPARE(Window.Shown(), QStringList());
  }

  // At 22050 Hz the default fast pulses fall together: the choice is told
  // kvetro-cli's refusal with the timing it suggests, and so is the button;
  // the machine's own layout at its standard timing converts there.
  void TheFastPulsesAt22050HzAreRefusedAsKvetroCliRefusesThem() {
    test::TScratchFolder Folder("window");
    const std::string Input = Folder.Write("game.mzf", test::MakeMzf(100, 100));
    const std::string Output = Folder.PathOf("game.wav");
    const QString Refusal = QStringLiteral("plain Kvetro: ") +
                            CliLines(test::RunCli({"--rate", "22050", Input, Output}));
    QVERIFY(Refusal.contains(QStringLiteral("--zero 1,1 --one 1,3")));
    TWindowUnderTest Window;
    Window.Form.MessageBoxes().QueueAnswer();
    Window.Form.Menu().RateAction(22050).trigger();
    QCOMPARE(Window.Shown(), QStringList{Refusal});
    QVERIFY(Window.Convert(Input, Output, 1).empty());
    QCOMPARE(Window.Shown(), (QStringList{Refusal, Refusal}));
    QVERIFY(!Exists(Output));
    Window.ForgetAnswers();
    Window.Form.Menu().LayoutAction(TTapeLayoutChoice::Standard).trigger();
    Window.Convert(Input, Output);
    QCOMPARE(Window.Shown().size(), qsizetype{2});
    QVERIFY(Exists(Output));
  }

  // Each ends the run with one box and writes nothing; the window shows the
  // user's timing again and takes the next run.
  void RefusalsAndFailuresShowOneBoxAndLeaveTheWindowUsable() {
    test::TScratchFolder Folder("window");
    const std::string Input = Folder.Write("a.mzf", test::MakeMzf(2000, 2000));
    const std::string Large = Folder.Write("large.mzf", test::MakeMzf(65536 - 128, 65536 - 128));
    const std::string Absent = Folder.PathOf("absent.mzf");
    const std::string Uncreatable = Folder.PathOf("missing/a.wav");
    const std::string Output = Folder.PathOf("out.wav");
    const struct {
      const char* Name;
      std::optional<std::string> Input, Output;
      QString Shown;                 // empty: no box
      bool AsksForOutput;            // the save dialog is shown
      bool NeedsFullDevice = false;  // skipped where /dev/full is missing
    } Cases[] = {
        {"large", Large, Output, "plain Kvetro: File must be smaller than 64KB", false},
        {"absent", Absent, Output,
         QString::fromStdString("plain Kvetro: Cannot read " + Absent +
                                ": No such file or directory"),
         false},
        {"uncreatable", Input, Uncreatable,
         QString::fromStdString("stop Kvetro: Cannot create file " + Uncreatable +
                                ": No such file or directory."),
         true},
        {"full_device", Input, "/dev/full",
         "stop Kvetro: Cannot write /dev/full: No space left on device.", true, true},
        {"open_cancelled", std::nullopt, Output, "", false},
        {"save_cancelled", Input, std::nullopt, "", true},
    };
    TWindowUnderTest Window;
    Window.Set({5, 6, 7, 8, 1, 5000, 5000});
    const QStringList User{"5", "6", "7", "8"};
    for (const auto& Case : Cases) {
      if (Case.NeedsFullDevice && !test::NoFullDevice().empty()) {
        continue;
      }
      const qsizetype Before = Window.Shown().size();
      const auto Seen = Window.Convert(Case.Input, Case.Output, Case.Shown.isEmpty() ? 0 : 1);
      QVERIFY2(Seen.empty() != Case.NeedsFullDevice, Case.Name);  // ended before the loader pass
      QCOMPARE(Window.Shown().mid(Before),
               Case.Shown.isEmpty() ? QStringList() : QStringList{Case.Shown});
      QCOMPARE(Window.Form.SaveDialog().QueuedAnswers(), std::size_t{Case.AsksForOutput ? 0u : 1u});
      QVERIFY2((Window.Now() == TSnapshot{User, true}), Case.Name);
      QVERIFY2(!Exists(Output) && !Exists(Uncreatable), Case.Name);
      Window.ForgetAnswers();
    }
    // The size check: the largest lead gap there is makes the output too large.
    Window.SetText(5, QStringLiteral("99999999999"));
    QVERIFY(Window.Convert(Input, Output, 1).empty());
    QCOMPARE(Window.Shown().back(),
             QStringLiteral("plain Kvetro: Output would be larger than 2 GB"));
    QVERIFY(!Exists(Output));
    Window.Set({5, 6, 7, 8, 1, 5000, 5000});
    QCOMPARE(Window.Convert(Input, Output).size(), std::size_t{2});
    QVERIFY(Exists(Output));
  }

  // Closed while the run lets messages through (before or after the loader
  // pass): the run stops there, and neither the WAV nor a message is left.
  void ClosingTheWindowMidRunLeavesNothing() {
    for (const int ClosingPass : {1, 2}) {
      test::TScratchFolder Folder("window");
      const std::string Input = Folder.Write("a.mzf", test::MakeMzf(100, 100));
      TWindowUnderTest Window;
      Window.Form.show();
      int Passes = 0;
      QTimer Closer;
      Closer.setInterval(0);
      QObject::connect(&Closer, &QTimer::timeout, [&] {
        const bool Standard = Window.Now().Timing.front() == QStringLiteral("9");
        if ((ClosingPass == 1 && Standard) || (ClosingPass == 2 && Passes == 1 && !Standard)) {
          Window.Form.close();
        }
        Passes += Standard && Passes == 0 ? 1 : 0;
      });
      Closer.start();
      Window.Convert(Input, Folder.PathOf("a.wav"));
      Closer.stop();
      QVERIFY(!Window.Form.isVisible());
      QCOMPARE(Folder.Names(), std::vector<std::string>{"a.mzf"});
      QVERIFY(Window.Shown().isEmpty());
    }
  }

  void WarningsGoOnAndTheFooterShowsTheWrittenFileUntilTheNextRun() {
    test::TScratchFolder Folder("window");
    const std::string Input = Folder.Write("short.mzf", test::MakeMzf(400, 100));
    const std::string Output = Folder.PathOf("game.wav");

    TWindowUnderTest Window;
    QLabel* Footer = Window.Form.findChild<QLabel*>("Label10");
    const QString Idle = Footer->text();
    Window.Set({3, 2, 3, 1, 1, 10, 10});  // the long pulse is the shorter one
    QCOMPARE(Window.Convert(Input, Output, 2).size(), std::size_t{2});
    QCOMPARE(Window.Shown(), (QStringList{"warning Kvetro: Log. 1 pulse (3 + 1 samples) is not "
                                          "longer than log. 0 pulse (3 + 2 samples); the body "
                                          "may not load",
                                          "warning Kvetro: Body size 400 runs past the end of the "
                                          "file: 300 bytes missing, sent as zeros"}));
    const std::size_t Size = test::ReadFile(Output).size();
    QVERIFY(Size > TConversionPlan::WaveHeaderSize);
    QCOMPARE(Footer->text(),
             QStringLiteral("game.wav: ") + QString::fromStdString(PlayingTime(
                                                Size - TConversionPlan::WaveHeaderSize, 44100)));

    // The next run, refused after the same warning, puts the footer back.
    Window.Convert(Folder.PathOf("absent.mzf"), std::nullopt, 2);
    QCOMPARE(Window.Shown().size(), qsizetype{4});
    QCOMPARE(Footer->text(), Idle);
  }

  void AFileFromOutsideIsTakenByTheNextPressAndItsWavIsSuggested() {
    test::TScratchFolder Folder("window");
    const test::TBytes File = test::MakeMzf(300, 300);
    const std::string Input = Folder.Write("game.mzf", File);
    const QString Suggested = QString::fromStdString(Folder.PathOf("game.wav"));

    TWindowUnderTest Window;
    Window.Form.OpenWith(QString::fromStdString(Input));
    QCOMPARE(
        Window.Convert(Folder.Write("other.mzf", test::MakeMzf(20, 20)), Suggested.toStdString())
            .size(),
        std::size_t{2});
    QCOMPARE(Window.Form.OpenDialog().QueuedAnswers(), std::size_t{1});  // never asked
    QCOMPARE(Window.Form.SaveDialog().directory().absolutePath(),
             QString::fromStdString(Folder.Root().string()));
    QCOMPARE(Window.Form.SaveDialog().selectedFiles(), QStringList{Suggested});
    QVERIFY(test::ReadFile(Suggested.toStdString()) == expected::ConvertedFile(File, {}));

    // The file was for one press: the next one asks in the open dialog.
    Window.Form.SaveDialog().QueueAnswer(QString::fromStdString(Folder.PathOf("other.wav")));
    QCOMPARE(Window.ClickAndWatch().size(), std::size_t{2});
    QCOMPARE(Window.Form.OpenDialog().QueuedAnswers(), std::size_t{0});
    QVERIFY(Exists(Folder.PathOf("other.wav")));
  }

  void OnlyDroppedTapeImagesAreTakenByTheNextPress() {
    test::TScratchFolder Folder("window");
    const QString Input = QString::fromStdString(Folder.Write("A.MZF", test::MakeMzf(40, 40)));
    TWindowUnderTest Window;
    const auto Drop = [&Window](const QList<QUrl>& Urls) { return Window.Drop(Urls); };
    const auto Taken = std::pair(true, true);
    const auto Refused = std::pair(false, false);
    QCOMPARE(Drop({QUrl::fromLocalFile(Input)}), Taken);
    // None of these replaces it: no .mzf, a WAV beside an MZF, not a local file.
    QCOMPARE(Drop({QUrl::fromLocalFile(QString::fromStdString(Folder.PathOf("notes.txt")))}),
             Refused);
    QCOMPARE(Drop({QUrl::fromLocalFile(Input), QUrl::fromLocalFile(Input + ".wav")}), Refused);
    QCOMPARE(Drop({QUrl(QStringLiteral("https://example.invalid/b.mzf"))}), Refused);

    // A cancel, should the open dialog be asked.
    QCOMPARE(Window.Convert(std::nullopt, Folder.PathOf("A.wav")).size(), std::size_t{2});
    QCOMPARE(Window.Form.OpenDialog().QueuedAnswers(), std::size_t{1});
    QCOMPARE(Window.Form.SaveDialog().selectedFiles(),
             QStringList{QString::fromStdString(Folder.PathOf("A.wav"))});
    QVERIFY(Exists(Folder.PathOf("A.wav")));
  }
};

QTEST_MAIN(Form1ConversionTest)
#include "Form1ConversionTest.moc"
