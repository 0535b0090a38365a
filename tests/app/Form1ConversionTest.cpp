#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstdint>
#include <vector>

#include "app/FileDialog.h"
#include "app/Form1.h"
#include "app/SpinEdit.h"
#include "tape/ConversionPlan.h"
#include "tape/ConversionRun.h"
#include "tests/support/MachineFeatures.h"

using namespace kvetro;

namespace {

// An MZF file of our own: header with the body size and the addresses, then
// the body, all other bytes a counting pattern.
QByteArray MakeMzf(std::uint16_t BodySize, int BodyBytes) {
  QByteArray File(128 + BodyBytes, '\0');
  for (int I = 0; I < File.size(); ++I) {
    File[I] = static_cast<char>((I * 37 + 11) & 0xFF);
  }
  File[0] = 0x01;
  const std::uint16_t Fields[3] = {BodySize, 0x1200, 0x1234};
  for (int I = 0; I < 3; ++I) {
    File[0x12 + 2 * I] = static_cast<char>(Fields[I] & 0xFF);
    File[0x13 + 2 * I] = static_cast<char>(Fields[I] >> 8);
  }
  return File;
}

bool WriteFile(const QString& Name, const QByteArray& Bytes) {
  QFile File(Name);
  return File.open(QIODevice::WriteOnly) && File.write(Bytes) == Bytes.size();
}

QByteArray ReadFile(const QString& Name) {
  QFile File(Name);
  return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

// A user of the run that is no window at all: fixed settings, timing boxes
// that are plain numbers.
class TScriptedUser : public TConversionUser {
 public:
  TScriptedUser(std::string Input, std::string Output, PulseTiming Timing, std::int32_t Monitor,
                std::int32_t LoaderGap, std::int32_t BodyGap)
      : FInput(std::move(Input)),
        FOutput(std::move(Output)),
        FTiming(Timing),
        FMonitor(Monitor),
        FLoaderGap(LoaderGap),
        FBodyGap(BodyGap) {}

  std::optional<std::string> ChooseInputFile() override { return FInput; }
  std::optional<std::string> ChooseOutputFile() override { return FOutput; }
  void ShowMessage(const std::string& Text) override { Messages.push_back(Text); }
  void SetStartEnabled(bool) override {}
  std::int32_t ReadTiming(TimingBox Box) override { return FTiming.Get(Box); }
  void WriteTiming(TimingBox Box, std::int32_t Value) override { FTiming.Set(Box, Value); }
  std::int32_t MonitorConstant() override { return FMonitor; }
  std::int32_t LoaderGap() override { return FLoaderGap; }
  std::int32_t BodyGap() override { return FBodyGap; }
  void ProcessMessages() override {}

  std::vector<std::string> Messages;

 private:
  std::string FInput, FOutput;
  PulseTiming FTiming;
  std::int32_t FMonitor, FLoaderGap, FBodyGap;
};

// What the window shows each time pending messages are processed.
struct TSnapshot {
  QStringList Timing;  // SpinEdit1 to SpinEdit4
  bool ButtonEnabled = true;
  bool operator==(const TSnapshot&) const = default;
};

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
    Edits[Index]->findChild<QLineEdit*>()->setText(Text);
  }
  void Set(const std::vector<std::int32_t>& Values) {
    for (std::size_t I = 0; I < Values.size(); ++I) {
      Edits[I]->SetValue(Values[I]);
    }
  }

  TSnapshot Now() const {
    TSnapshot Shot;
    for (int I = 0; I < 4; ++I) {
      Shot.Timing << Edits[I]->findChild<QLineEdit*>()->text();
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

  TForm1 Form;
  QPushButton* Button1 = nullptr;
  std::vector<TSpinEdit*> Edits;
};

}  // namespace

class Form1ConversionTest : public QObject {
  Q_OBJECT

 private slots:
  void AWholeConversionWritesWhatTheRunWritesAndShowsBothTimings() {
    QTemporaryDir Folder;
    const QString Input = Folder.filePath("game.mzf");
    const QString Output = Folder.filePath("game.wav");
    const QString Reference = Folder.filePath("reference.wav");
    QVERIFY(WriteFile(Input, MakeMzf(300, 300)));

    TWindowUnderTest Window;
    Window.Set({4, 2, 5, 3, 7, 120, 60});
    Window.Form.OpenDialog().QueueAnswer(Input);
    Window.Form.SaveDialog().QueueAnswer(Output);
    const std::vector<TSnapshot> Seen = Window.ClickAndWatch();

    // The run let messages through twice: standard timing during pass 1,
    // the user's after it, the button disabled both times.
    const TSnapshot Standard{{"9", "11", "18", "19"}, false};
    const TSnapshot User{{"4", "2", "5", "3"}, false};
    QCOMPARE(Seen.size(), std::size_t{2});
    QVERIFY(Seen[0] == Standard);
    QVERIFY(Seen[1] == User);
    QVERIFY((Window.Now() == TSnapshot{{"4", "2", "5", "3"}, true}));
    QVERIFY(Window.Form.MessageBoxes().Shown().empty());
    QCOMPARE(Window.Form.OpenDialog().QueuedAnswers(), std::size_t{0});
    QCOMPARE(Window.Form.SaveDialog().QueuedAnswers(), std::size_t{0});

    TConversionRun Run;
    TScriptedUser Script(Input.toStdString(), Reference.toStdString(), PulseTiming{4, 2, 5, 3}, 7,
                         120, 60);
    QCOMPARE(Run.Execute(Script), TRunOutcome::Written);
    const QByteArray Expected = ReadFile(Reference);
    QVERIFY(Expected.size() > 46);
    QCOMPARE(ReadFile(Output), Expected);

    // The same window converts again, with other settings, to the same name.
    Window.Set({1, 1, 2, 2, 200, 0, 0});
    Window.Form.OpenDialog().QueueAnswer(Input);
    Window.Form.SaveDialog().QueueAnswer(Output);
    QCOMPARE(Window.ClickAndWatch().size(), std::size_t{2});
    TConversionRun Second;
    TScriptedUser Again(Input.toStdString(), Reference.toStdString(), PulseTiming{1, 1, 2, 2}, 200,
                        0, 0);
    QCOMPARE(Second.Execute(Again), TRunOutcome::Written);
    QCOMPARE(ReadFile(Output), ReadFile(Reference));
    QVERIFY(ReadFile(Output) != Expected);
  }

  void ATimingBoxWithoutANumberRunsAndEndsAsItsMinimum() {
    QTemporaryDir Folder;
    const QString Input = Folder.filePath("a.mzf");
    const QString Output = Folder.filePath("a.wav");
    const QString Reference = Folder.filePath("r.wav");
    QVERIFY(WriteFile(Input, MakeMzf(40, 40)));

    TWindowUnderTest Window;
    Window.Set({3, 1, 3, 2, 1, 10, 10});
    Window.SetText(0, QStringLiteral("abc"));
    Window.Form.OpenDialog().QueueAnswer(Input);
    Window.Form.SaveDialog().QueueAnswer(Output);
    const std::vector<TSnapshot> Seen = Window.ClickAndWatch();
    QCOMPARE(Seen.size(), std::size_t{2});
    QCOMPARE(Seen[1].Timing, (QStringList{"1", "1", "3", "2"}));
    QCOMPARE(Window.Now().Timing, (QStringList{"1", "1", "3", "2"}));

    TConversionRun Run;
    TScriptedUser Script(Input.toStdString(), Reference.toStdString(), PulseTiming{1, 1, 3, 2}, 1,
                         10, 10);
    QCOMPARE(Run.Execute(Script), TRunOutcome::Written);
    QCOMPARE(ReadFile(Output), ReadFile(Reference));
  }

  void AFailedWriteShowsTheStopBoxAndLeavesTheWindowUsable() {
    if (const std::string Reason = test::NoFullDevice(); !Reason.empty()) {
      QSKIP(Reason.c_str());
    }
    QTemporaryDir Folder;
    const QString Input = Folder.filePath("a.mzf");
    QVERIFY(WriteFile(Input, MakeMzf(2000, 2000)));

    TWindowUnderTest Window;
    Window.Set({5, 6, 7, 8, 1, 5000, 5000});
    Window.Form.OpenDialog().QueueAnswer(Input);
    Window.Form.SaveDialog().QueueAnswer(QStringLiteral("/dev/full"));
    Window.Form.MessageBoxes().QueueAnswer();
    Window.ClickAndWatch();

    const auto& Shown = Window.Form.MessageBoxes().Shown();
    QCOMPARE(Shown.size(), std::size_t{1});
    QCOMPARE(Shown[0].Icon, QMessageBox::Critical);
    QCOMPARE(Shown[0].Title, QStringLiteral("Kvetro"));
    QCOMPARE(Shown[0].Text, QStringLiteral("Cannot write /dev/full: No space left on device."));
    QVERIFY((Window.Now() == TSnapshot{{"5", "6", "7", "8"}, true}));
  }

  // Closed while the run lets messages through (before or after the loader
  // pass): the run stops there, and neither the WAV nor a message is left.
  void ClosingTheWindowMidRunLeavesNothing() {
    for (const int ClosingPass : {1, 2}) {
      QTemporaryDir Folder;
      const QString Input = Folder.filePath("a.mzf");
      QVERIFY(WriteFile(Input, MakeMzf(100, 100)));
      TWindowUnderTest Window;
      Window.Form.show();
      Window.Form.OpenDialog().QueueAnswer(Input);
      Window.Form.SaveDialog().QueueAnswer(Folder.filePath("a.wav"));
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
      Window.Button1->click();
      Closer.stop();
      QVERIFY(!Window.Form.isVisible());
      QCOMPARE(QDir(Folder.path()).entryList(QDir::Files), QStringList{"a.mzf"});
      QVERIFY(Window.Form.MessageBoxes().Shown().empty());
    }
  }

  void AnOutputThatCannotBeCreatedNamesTheFileWithAFullStop() {
    QTemporaryDir Folder;
    const QString Input = Folder.filePath("a.mzf");
    const QString Output = Folder.filePath("missing/a.wav");
    QVERIFY(WriteFile(Input, MakeMzf(20, 20)));

    TWindowUnderTest Window;
    Window.Form.OpenDialog().QueueAnswer(Input);
    Window.Form.SaveDialog().QueueAnswer(Output);
    Window.Form.MessageBoxes().QueueAnswer();
    const std::vector<TSnapshot> Seen = Window.ClickAndWatch();

    QVERIFY(Seen.empty());  // the run ended before pass 1
    const auto& Shown = Window.Form.MessageBoxes().Shown();
    QCOMPARE(Shown.size(), std::size_t{1});
    QCOMPARE(Shown[0].Icon, QMessageBox::Critical);
    QCOMPARE(Shown[0].Text, QStringLiteral("Cannot create file ") + Output +
                                QStringLiteral(": No such file or directory."));
    QVERIFY((Window.Now() == TSnapshot{{"3", "1", "3", "2"}, true}));
    QVERIFY(!QFile::exists(Output));
  }

  void RefusalsAreShownAsPlainBoxesAndNothingIsWritten() {
    QTemporaryDir Folder;
    const QString Large = Folder.filePath("large.mzf");
    const QString Output = Folder.filePath("out.wav");
    QVERIFY(WriteFile(Large, MakeMzf(100, 65536 - 128)));

    TWindowUnderTest Window;
    Window.Form.OpenDialog().QueueAnswer(Large);
    Window.Form.SaveDialog().QueueAnswer(Output);
    Window.Form.MessageBoxes().QueueAnswer();
    QVERIFY(Window.ClickAndWatch().empty());
    const auto& Shown = Window.Form.MessageBoxes().Shown();
    QCOMPARE(Shown.size(), std::size_t{1});
    QCOMPARE(Shown[0].Icon, QMessageBox::NoIcon);
    QCOMPARE(Shown[0].Title, QStringLiteral("Kvetro"));
    QCOMPARE(Shown[0].Text, QStringLiteral("File must be smaller than 64KB"));
    // Refused before the output was asked for.
    QCOMPARE(Window.Form.SaveDialog().QueuedAnswers(), std::size_t{1});
    QVERIFY(!QFile::exists(Output));
    QVERIFY(Window.Button1->isEnabled());

    // A file that is not there.
    TWindowUnderTest Other;
    Other.Form.OpenDialog().QueueAnswer(Folder.filePath("absent.mzf"));
    Other.Form.MessageBoxes().QueueAnswer();
    Other.ClickAndWatch();
    QCOMPARE(Other.Form.MessageBoxes().Shown().size(), std::size_t{1});
    QCOMPARE(Other.Form.MessageBoxes().Shown()[0].Icon, QMessageBox::NoIcon);
    QCOMPARE(Other.Form.MessageBoxes().Shown()[0].Text,
             QStringLiteral("Cannot read ") + Folder.filePath("absent.mzf") +
                 QStringLiteral(": No such file or directory"));
    QVERIFY(Other.Button1->isEnabled());
  }

  void WarningsGoOnAndTheFooterShowsTheWrittenFileUntilTheNextRun() {
    QTemporaryDir Folder;
    const QString Input = Folder.filePath("short.mzf");
    const QString Output = Folder.filePath("game.wav");
    QVERIFY(WriteFile(Input, MakeMzf(400, 100)));  // 300 body bytes missing

    TWindowUnderTest Window;
    QLabel* Footer = Window.Form.findChild<QLabel*>("Label10");
    const QString Idle = Footer->text();
    Window.Set({3, 2, 3, 1, 1, 10, 10});  // the long pulse is the shorter one
    Window.Form.OpenDialog().QueueAnswer(Input);
    Window.Form.SaveDialog().QueueAnswer(Output);
    Window.Form.MessageBoxes().QueueAnswer();
    Window.Form.MessageBoxes().QueueAnswer();
    QCOMPARE(Window.ClickAndWatch().size(), std::size_t{2});

    const auto& Shown = Window.Form.MessageBoxes().Shown();
    QCOMPARE(Shown.size(), std::size_t{2});
    QCOMPARE(Shown[0].Icon, QMessageBox::Warning);
    QCOMPARE(Shown[0].Text, QStringLiteral("Log. 1 pulse (3 + 1 samples) is not longer than log. 0 "
                                           "pulse (3 + 2 samples); the body may not load"));
    QCOMPARE(Shown[1].Icon, QMessageBox::Warning);
    QCOMPARE(Shown[1].Text, QStringLiteral("Body size 400 runs past the end of the file: 300 bytes "
                                           "missing, sent as zeros"));
    const QByteArray Wave = ReadFile(Output);
    QVERIFY(Wave.size() > 46);
    QCOMPARE(Footer->text(),
             QStringLiteral("game.wav: ") + QString::fromStdString(PlayingTime(Wave.size() - 46)));

    // The next run, refused after the same warning, puts the footer back.
    Window.Form.OpenDialog().QueueAnswer(Folder.filePath("absent.mzf"));
    Window.Form.MessageBoxes().QueueAnswer();
    Window.Form.MessageBoxes().QueueAnswer();
    Window.ClickAndWatch();
    QCOMPARE(Window.Form.MessageBoxes().Shown().size(), std::size_t{4});
    QCOMPARE(Footer->text(), Idle);
  }

  void DigitsBeyond32BitsReadAsTheNearestEndOfTheRange() {
    QTemporaryDir Folder;
    const QString Input = Folder.filePath("a.mzf");
    const QString Output = Folder.filePath("a.wav");
    const QString Reference = Folder.filePath("r.wav");
    QVERIFY(WriteFile(Input, MakeMzf(40, 40)));

    TWindowUnderTest Window;
    Window.Set({3, 1, 128, 128, 1, 10, 10});
    Window.SetText(0, QStringLiteral("99999999999"));  // "Log. 0 LO": the slowest, 128
    Window.Form.OpenDialog().QueueAnswer(Input);
    Window.Form.SaveDialog().QueueAnswer(Output);
    const std::vector<TSnapshot> Seen = Window.ClickAndWatch();
    QCOMPARE(Seen.size(), std::size_t{2});
    QCOMPARE(Seen[1].Timing, (QStringList{"128", "1", "128", "128"}));
    QVERIFY(Window.Form.MessageBoxes().Shown().empty());
    TConversionRun Run;
    TScriptedUser Script(Input.toStdString(), Reference.toStdString(),
                         PulseTiming{128, 1, 128, 128}, 1, 10, 10);
    QCOMPARE(Run.Execute(Script), TRunOutcome::Written);
    QCOMPARE(ReadFile(Output), ReadFile(Reference));

    // "LGAP zavadec": the largest gap there is, which the size check refuses.
    Window.SetText(5, QStringLiteral("99999999999"));
    Window.Form.OpenDialog().QueueAnswer(Input);
    Window.Form.SaveDialog().QueueAnswer(Folder.filePath("b.wav"));
    Window.Form.MessageBoxes().QueueAnswer();
    QVERIFY(Window.ClickAndWatch().empty());
    QCOMPARE(Window.Form.MessageBoxes().Shown().size(), std::size_t{1});
    QCOMPARE(Window.Form.MessageBoxes().Shown()[0].Text,
             QStringLiteral("Output would be larger than 2 GB"));
    QVERIFY(!QFile::exists(Folder.filePath("b.wav")));
  }

  void CancellingEitherDialogWritesNothing() {
    QTemporaryDir Folder;
    const QString Input = Folder.filePath("a.mzf");
    const QString Output = Folder.filePath("a.wav");
    QVERIFY(WriteFile(Input, MakeMzf(20, 20)));

    TWindowUnderTest Window;
    Window.Form.OpenDialog().QueueAnswer(std::nullopt);
    Window.Form.SaveDialog().QueueAnswer(Output);
    QVERIFY(Window.ClickAndWatch().empty());
    QCOMPARE(Window.Form.SaveDialog().QueuedAnswers(), std::size_t{1});  // never asked

    Window.Form.SaveDialog().Choose();  // drop the unused answer
    Window.Form.OpenDialog().QueueAnswer(Input);
    Window.Form.SaveDialog().QueueAnswer(std::nullopt);
    QVERIFY(Window.ClickAndWatch().empty());
    QVERIFY(!QFile::exists(Output));
    QVERIFY(Window.Form.MessageBoxes().Shown().empty());
    QVERIFY((Window.Now() == TSnapshot{{"3", "1", "3", "2"}, true}));
  }

  void AFileFromOutsideIsTakenByTheNextPressAndItsWavIsSuggested() {
    QTemporaryDir Folder;
    const QString Input = Folder.filePath("game.mzf");
    const QString Other = Folder.filePath("other.mzf");
    const QString Reference = Folder.filePath("reference.wav");
    QVERIFY(WriteFile(Input, MakeMzf(300, 300)));
    QVERIFY(WriteFile(Other, MakeMzf(20, 20)));

    TWindowUnderTest Window;
    Window.Form.OpenWith(Input);
    Window.Form.OpenDialog().QueueAnswer(Other);
    Window.Form.SaveDialog().QueueAnswer(Folder.filePath("game.wav"));
    QCOMPARE(Window.ClickAndWatch().size(), std::size_t{2});
    QCOMPARE(Window.Form.OpenDialog().QueuedAnswers(), std::size_t{1});  // never asked
    QCOMPARE(Window.Form.SaveDialog().directory().absolutePath(), Folder.path());
    QCOMPARE(Window.Form.SaveDialog().selectedFiles(), QStringList{Folder.filePath("game.wav")});
    TConversionRun Run;
    TScriptedUser Script(Input.toStdString(), Reference.toStdString(), PulseTiming{3, 1, 3, 2}, 1,
                         5000, 5000);
    QCOMPARE(Run.Execute(Script), TRunOutcome::Written);
    QCOMPARE(ReadFile(Folder.filePath("game.wav")), ReadFile(Reference));

    // The file was for one press: the next one asks in the open dialog.
    Window.Form.SaveDialog().QueueAnswer(Folder.filePath("other.wav"));
    QCOMPARE(Window.ClickAndWatch().size(), std::size_t{2});
    QCOMPARE(Window.Form.OpenDialog().QueuedAnswers(), std::size_t{0});
    QVERIFY(QFile::exists(Folder.filePath("other.wav")));
  }

  void OnlyOneDroppedMzfFileIsTakenByTheNextPress() {
    QTemporaryDir Folder;
    const QString Input = Folder.filePath("A.MZF");
    QVERIFY(WriteFile(Input, MakeMzf(40, 40)));
    TWindowUnderTest Window;
    const auto Drop = [&Window](const QList<QUrl>& Urls) {
      QMimeData Data;
      Data.setUrls(Urls);
      QDragEnterEvent Enter(QPoint(150, 150), Qt::CopyAction, &Data, Qt::LeftButton,
                            Qt::NoModifier);
      QCoreApplication::sendEvent(&Window.Form, &Enter);
      QDropEvent Dropped(QPointF(150, 150), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(&Window.Form, &Dropped);
      return std::pair(Enter.isAccepted(), Dropped.isAccepted());
    };
    const auto Taken = std::pair(true, true);
    const auto Refused = std::pair(false, false);
    QCOMPARE(Drop({QUrl::fromLocalFile(Input)}), Taken);
    // None of these replaces it: no .mzf, two files, not a local file.
    QCOMPARE(Drop({QUrl::fromLocalFile(Folder.filePath("notes.txt"))}), Refused);
    QCOMPARE(Drop({QUrl::fromLocalFile(Input), QUrl::fromLocalFile(Input)}), Refused);
    QCOMPARE(Drop({QUrl(QStringLiteral("https://example.invalid/b.mzf"))}), Refused);

    Window.Form.OpenDialog().QueueAnswer(std::nullopt);  // a cancel, should it be asked
    Window.Form.SaveDialog().QueueAnswer(Folder.filePath("A.wav"));
    QCOMPARE(Window.ClickAndWatch().size(), std::size_t{2});
    QCOMPARE(Window.Form.OpenDialog().QueuedAnswers(), std::size_t{1});
    QCOMPARE(Window.Form.SaveDialog().selectedFiles(), QStringList{Folder.filePath("A.wav")});
    QVERIFY(QFile::exists(Folder.filePath("A.wav")));
  }
};

QTEST_MAIN(Form1ConversionTest)
#include "Form1ConversionTest.moc"
