// Reading a recording in the window: the same report and the same files as
// kvetro-cli read, a reading stopped half way, a WAV given as the MZF file or
// dropped, and the pictures of the read windows.
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <string>
#include <vector>

#include "app/FileDialog.h"
#include "app/Form1.h"
#include "app/ReadReportDialog.h"
#include "app/ReadWindowPicture.h"
#include "app/RecordingRead.h"
#include "tests/app/ShownBoxes.h"
#include "tests/support/CliRunner.h"
#include "tests/support/KvetroConversion.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"

using namespace kvetro;

namespace {

using TNames = std::vector<std::string>;
constexpr int kReadingMs = 60000;  // only a hung reading takes so long

TReadReportDialog* WaitForReport(TForm1& Form) {
  [&Form] { QTRY_VERIFY_WITH_TIMEOUT(!Form.RecordingRead().Running(), kReadingMs); }();
  return Form.findChild<TReadReportDialog*>();
}

// Two files at the standard timing, GAME and BAD; BAD's body is spoiled near
// its end, where there is no copy to fall back on.
test::TBytes TwoFilesOneBad() {
  std::string Pulses;
  std::uint8_t Seed = 1;
  for (const char* Name : {"GAME", "BAD"}) {
    const test::TBytes File =
        test::MzfFile(0x01, Name, 64, 0x1200, 0x1200, test::CountingBody(64, Seed++));
    Pulses +=
        expected::FullTapeFile(expected::Slice(File, 0, 128), expected::UserBody(File), 200, 200);
  }
  char& Spoiled = Pulses[Pulses.size() - 100];
  Spoiled = Spoiled == '1' ? '0' : '1';
  return expected::WaveFile(expected::Samples(Pulses, expected::kStandardTiming));
}

}  // namespace

class Form1ReadingTest : public QObject {
  Q_OBJECT

 private slots:
  // The dialog shows kvetro-cli read's report; saved into a folder, the
  // files are the ones kvetro-cli read writes with the options that the
  // user's answers stand for (keep what was read of a bad file, replace a
  // file the folder holds).
  void TheReportAndTheFilesAreKvetroClisRead() {
    const test::TBytes Game = test::RandomMzf(3000, 3000, 7);
    const struct {
      const char* Name;
      test::TBytes Recording;
      std::vector<bool> Answers;  // to the questions, in the order asked
      TNames Options;
      bool Taken = false;  // the folder holds GAME.mzf already
      int Pictures = 0;
    } Cases[] = {
        {"fast_loader", test::KvetroWave(Game, {}), {}, {}, false, 3},
        {"bad_kept", TwoFilesOneBad(), {true}, {"--keep-bad"}, false, 4},
        {"bad_left", TwoFilesOneBad(), {false}, {}, false, 4},
        {"replaced", TwoFilesOneBad(), {false, true}, {"--force"}, true, 4},
        {"not_replaced", TwoFilesOneBad(), {false, false}, {}, true, 4},
    };
    for (const auto& Case : Cases) {
      test::TScratchFolder Folder("window-read");
      const std::string Recording = Folder.Write("tape.wav", Case.Recording);
      for (const char* Out : {"window", "cli"}) {
        Folder.MakeFolder(Out);
        if (Case.Taken) {
          Folder.Write(std::string(Out) + "/GAME.mzf", {'o', 'l', 'd'});
        }
      }
      TNames Arguments{"read", "--out", Folder.PathOf("cli")};
      Arguments.insert(Arguments.end(), Case.Options.begin(), Case.Options.end());
      Arguments.push_back(Recording);
      const std::string Cli = test::RunCli(Arguments).OutText();

      TForm1 Form;
      Form.ReadRecording(QString::fromStdString(Recording));
      TReadReportDialog* Report = WaitForReport(Form);
      QVERIFY2(Report != nullptr && Report->isVisible(), Case.Name);
      const std::string Text = Report->Text().toStdString();
      QVERIFY2(Cli.starts_with(Text) && Text.ends_with("read whole\n"), Case.Name);
      QCOMPARE(Report->findChildren<TReadWindowPicture*>().size(), qsizetype{Case.Pictures});

      Form.FolderDialog().QueueAnswer(QString::fromStdString(Folder.PathOf("window")));
      for (const bool Answer : Case.Answers) {
        Form.MessageBoxes().QueueAnswer(Answer);
      }
      Form.MessageBoxes().QueueAnswer();  // what was written
      Report->SaveButton().click();
      QCOMPARE(Form.MessageBoxes().QueuedAnswers(), 0);
      QCOMPARE(Form.MessageBoxes().Shown().size(), Case.Answers.size() + 1);
      const TNames Written = Folder.Names("window");
      QCOMPARE(Written, Folder.Names("cli"));
      for (const std::string& Name : Written) {
        QVERIFY2(test::ReadFile(Folder.PathOf("window/" + Name)) ==
                     test::ReadFile(Folder.PathOf("cli/" + Name)),
                 Name.c_str());
      }
    }
  }

  // Stopped from the progress dialog, the reading ends at once and shows
  // nothing; the next one reads as usual.
  void AStoppedReadingLeavesNothing() {
    test::TScratchFolder Folder("window-read");
    const QString Recording = QString::fromStdString(
        Folder.Write("tape.wav", test::KvetroWave(test::RandomMzf(20000, 20000, 3), {})));
    TForm1 Form;
    Form.ReadRecording(Recording);
    auto* Progress = Form.findChild<QProgressDialog*>("ReadProgress");
    QVERIFY(Progress != nullptr && Progress->isVisible());
    Progress->findChild<QPushButton*>()->click();
    QVERIFY(!Form.RecordingRead().Running());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QVERIFY(Form.findChild<QProgressDialog*>() == nullptr);
    QVERIFY(Form.findChild<TReadReportDialog*>() == nullptr);
    QVERIFY(Form.MessageBoxes().Shown().empty());
    QCOMPARE(Folder.Names(), TNames{"tape.wav"});

    Form.ReadRecording(Recording);
    QVERIFY(WaitForReport(Form) != nullptr);
  }

  // A WAV chosen in the open dialog is refused as an MZF file with the
  // question whether to read it; Yes reads it. A WAV dropped onto the window
  // is read at once.
  void AWavGivenAsTheMzfOrDroppedIsRead() {
    test::TScratchFolder Folder("window-read");
    const std::string Recording = Folder.Write("tape.wav", TwoFilesOneBad());
    const QString Asked = QStringLiteral("question Kvetro: ") + QString::fromStdString(Recording) +
                          QString::fromUtf8(
                              " is a WAV file, not an MZF tape image.\n\nPřečíst tento soubor "
                              "jako nahrávku?");
    const struct {
      const char* Name;
      bool Dropped;
      bool Yes;
    } Cases[] = {{"yes", false, true}, {"no", false, false}, {"dropped", true, false}};
    for (const auto& Case : Cases) {
      TForm1 Form;
      if (Case.Dropped) {
        QMimeData Data;
        Data.setUrls({QUrl::fromLocalFile(QString::fromStdString(Recording))});
        QDragEnterEvent Enter(QPoint(150, 150), Qt::CopyAction, &Data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&Form, &Enter);
        QDropEvent Drop(QPointF(150, 150), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&Form, &Drop);
        QCoreApplication::processEvents();
      } else {
        Form.OpenDialog().QueueAnswer(QString::fromStdString(Recording));
        Form.MessageBoxes().QueueAnswer(Case.Yes);
        Form.Button1Click();
        QCOMPARE(test::ShownBoxes(Form.MessageBoxes()), QStringList{Asked});
      }
      const TReadReportDialog* Report = WaitForReport(Form);
      QVERIFY2((Report != nullptr) == (Case.Yes || Case.Dropped), Case.Name);
      QVERIFY2(Report == nullptr || Report->Text().startsWith(QString::fromStdString(Recording)),
               Case.Name);
    }
  }

  // Short pulses in blue left of the window, long ones in red right of it,
  // the window between them shaded green when open, red when the pulses
  // overlap, and not at all for a block that failed.
  void APictureShowsThePulsesAndTheWindowBetweenThem() {
    const struct {
      std::optional<TReadWindow> Window;
      QColor Between;  // the dominant colour between the bars
    } Cases[] = {
        {TReadWindow{30, 40}, TReadWindowPicture::WindowColour},
        {TReadWindow{40, 30}, TReadWindowPicture::LongColour},
        {std::nullopt, Qt::white},
    };
    for (const auto& Case : Cases) {
      TBlockReport Block;
      Block.Histogram.Short.assign(30, 0);
      Block.Histogram.Long.assign(30, 0);
      Block.Histogram.Short[12] = 500;  // 24 to 26 µs
      Block.Histogram.Long[22] = 300;   // 44 to 46 µs
      Block.Window = Case.Window;
      TReadWindowPicture Picture(Block);
      Picture.resize(640, 170);
      const QImage Image = Picture.grab().toImage();
      const int Low = Picture.PlotArea().bottom() - 2;
      QCOMPARE(Image.pixelColor(Picture.XOf(25), Low), TReadWindowPicture::ShortColour);
      QCOMPARE(Image.pixelColor(Picture.XOf(45), Low), TReadWindowPicture::LongColour);
      const QColor Middle = Image.pixelColor(Picture.XOf(35), Low);
      const auto Strongest = [](const QColor& C) {
        return C == Qt::white ? 'w' : C.green() > C.red() ? 'g' : 'r';
      };
      QCOMPARE(Strongest(Middle), Strongest(Case.Between));
    }
  }
};

QTEST_MAIN(Form1ReadingTest)
#include "Form1ReadingTest.moc"
