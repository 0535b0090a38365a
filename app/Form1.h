#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/DefaultHandler.h"
#include "app/MessageBoxes.h"
#include "app/PendingInput.h"
#include "reader/TapeReport.h"
#include "tape/ConversionObserver.h"
#include "tape/ConversionSettings.h"
#include "tape/PulseTiming.h"

class QGroupBox;
class QLabel;
class QProgressDialog;
class QPushButton;

namespace kvetro {

class TFileDialog;
class TMainMenu;
class TReadReportDialog;
class TRecordingRead;
class TSpinEdit;

// The program's one window: a menu bar (app/MainMenu.h) above the form, whose
// client area holds the pulse timings, the monitor constant, the two gap
// lengths and the button that starts a conversion. The settings live only in
// the controls and the menu and start from the same defaults at every
// launch. The window is also the conversion's observer: it shows the run's
// messages, the loader's timing in the timing boxes while the loader file is
// written, and the file written in its footer. It reads recordings back too,
// on a thread of their own, and shows what was found in a dialog.
class TForm1 : public QWidget, public TConversionObserver {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* Parent = nullptr);

  // The start button's handler: one whole conversion run. Nothing thrown by
  // the run leaves here; failures go to the default handler.
  void Button1Click();

  // The MZF file for the next press of the start button, which then takes
  // it without the open dialog (the command line's file).
  void OpenWith(const QString& MzfPath) { FPendingInput.Set({MzfPath}); }

  // Reads the WAV back as a recording, with a progress dialog that can stop
  // it; the report dialog follows. Ignored while a reading or a run is under
  // way.
  void ReadRecording(const QString& Path);

  // The window's menu, dialogs and boxes, for tests to choose and answer.
  TMainMenu& Menu() { return *FMenu; }
  TFileDialog& OpenDialog() { return *OpenDialog1; }
  TFileDialog& SaveDialog() { return *SaveDialog1; }
  TFileDialog& RecordingDialog() { return *FRecordingDialog; }
  TFileDialog& FolderDialog() { return *FFolderDialog; }
  TMessageBoxes& MessageBoxes() { return FMessageBoxes; }
  TRecordingRead& RecordingRead() { return *FRecordingRead; }

  // The boxes: the timing read as each box reads its text, written as the
  // box writes a value (so the value shown may be clamped).
  std::int32_t ReadTiming(TimingBox Box) const;
  void WriteTiming(TimingBox Box, std::int32_t Value);
  std::int32_t MonitorConstant() const;  // written to 0x0A4B by the loader
  std::int32_t LoaderGap() const;        // short pulses before the loader file
  std::int32_t BodyGap() const;          // short pulses before each body

  // TConversionObserver
  void Refused(const std::string& Text) override;
  // Asks whether the WAV is to be read as a recording instead; a Yes reads
  // it once the run has ended.
  void WaveInputRefused(const std::string& InputName) override;
  void Warning(const std::string& Text) override;
  void Writing() override;
  void FileStarts(const TPlannedFile& File) override;
  void Written(const std::string& OutputName, std::uint64_t Samples, std::int32_t Rate) override;

 protected:
  // Places the window, frame included, at the centre of the screen when it
  // is first shown.
  void showEvent(QShowEvent* Event) override;
  // Tape images dropped onto the window are taken by the next press, as one
  // tape in the order given; a WAV is read as a recording at once.
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;
  // Closed while a run lets messages through: the run is abandoned at once
  // and its unfinished output goes with it.
  void closeEvent(QCloseEvent* Event) override;

 private:
  void CreateComponents();
  void CreateDialogs();
  void SetUpWindow();
  // The menu bar above the client area, the window as much taller and
  // centred on the screen.
  void PlaceMenu();
  void ConnectMenu();
  TSpinEdit& TimingEdit(TimingBox Box) const;
  void ShowFooter(const QString& Text);
  // The run of one press, from the settings to the written WAV.
  void Convert();
  // The settings as the boxes read now.
  TConversionSettings ReadSettings() const;
  // The tape's files: those from outside, or the open dialog's, which takes
  // several in the machine's own layout. Several for the fast loader are the
  // run's to refuse.
  std::optional<std::vector<std::string>> ChooseInputFiles();
  std::optional<std::string> ChooseOutputFile();
  void ShowTiming(const PulseTiming& Timing);
  // Lets the window repaint and take pending input; ends the run when the
  // window was closed meanwhile.
  void ProcessMessages();
  // The layout chosen in the menu: the fast loader's own boxes only for it.
  void LayoutChosen(TTapeLayoutChoice Previous);
  // Tells at once when the core refuses the settings as chosen.
  void CheckChoice();
  void ChooseRecording();
  void ReadDone(const TTapeReport& Report);
  void ReadFailed(const QString& Message);
  void EndReading();

  TMessageBoxes FMessageBoxes;
  TDefaultHandler FDefaultHandler;
  TPendingInput FPendingInput;
  bool FCentred = false;
  bool FRunning = false;         // a run is between its first and last step
  bool FCloseRequested = false;  // the window was closed during that run
  // The run's own timing, and whether the boxes show another (the loader's).
  PulseTiming FRunTiming;
  bool FShowingOther = false;
  // A WAV given as the MZF file, to be read once the run has ended.
  std::optional<QString> FReadAfterRun;

  // Owned by the window as their Qt parent.
  TMainMenu* FMenu = nullptr;
  QWidget* FClient = nullptr;  // the form below the menu bar
  TFileDialog* FRecordingDialog = nullptr;
  TFileDialog* FFolderDialog = nullptr;
  TRecordingRead* FRecordingRead = nullptr;
  QPointer<QProgressDialog> FProgress;
  QPointer<TReadReportDialog> FReport;
  TFileDialog* OpenDialog1 = nullptr;
  TFileDialog* SaveDialog1 = nullptr;
  QPushButton* Button1 = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  TSpinEdit* SpinEdit1 = nullptr;
  TSpinEdit* SpinEdit2 = nullptr;
  TSpinEdit* SpinEdit3 = nullptr;
  TSpinEdit* SpinEdit4 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QLabel* Label7 = nullptr;
  TSpinEdit* SpinEdit5 = nullptr;
  QLabel* Label8 = nullptr;
  QLabel* Label9 = nullptr;
  TSpinEdit* SpinEdit6 = nullptr;
  TSpinEdit* SpinEdit7 = nullptr;
  QLabel* Label10 = nullptr;
};

}  // namespace kvetro
