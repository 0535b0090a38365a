#include "app/Form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <exception>
#include <utility>

#include "app/AboutText.h"
#include "app/Application.h"
#include "app/CaptionFit.h"
#include "app/FileDialog.h"
#include "app/MainMenu.h"
#include "app/ReadReportDialog.h"
#include "app/RecordingRead.h"
#include "app/SpinEdit.h"
#include "tape/ConversionPlan.h"
#include "tape/ConversionRun.h"
#include "tape/ConversionSettings.h"
#include "tape/MzfInfo.h"
#include "tape/MzfInfoText.h"
#include "tape/ReplacingOutput.h"
#include "tape/RunMessages.h"
#include "tape/SettingsCheck.h"

namespace kvetro {

namespace {

// Ends a run whose window was closed; nobody is left to tell.
class ERunAbandoned : public std::exception {
 public:
  const char* what() const noexcept override { return "the window was closed"; }
};

// The layout was drawn at 96 pixels per inch with 8-point "MS Sans Serif",
// 11 pixels high. Where that font is missing the platform's fallback for a
// sans-serif face takes over.
QFont WindowFont(bool Bold) {
  QFont Font(QStringLiteral("MS Sans Serif"));
  Font.setStyleHint(QFont::SansSerif);
  Font.setPixelSize(11);
  // Set explicitly, so that the bold of a group box does not pass to the
  // controls inside it.
  Font.setWeight(Bold ? QFont::Bold : QFont::Normal);
  return Font;
}

// The footer line; after a successful run it shows the file written instead,
// until the next run.
constexpr const char* kFooter = "© 2026 Kvetro – MZF/WAV";

QFont FooterFont() {
  QFont Font(QStringLiteral("MS Serif"));
  Font.setStyleHint(QFont::Serif);
  Font.setPixelSize(9);
  Font.setWeight(QFont::Normal);
  return Font;
}

template <typename Control>
Control* Place(Control* Widget, const char* Name, int Left, int Top, int Width, int Height,
               const QFont& Font) {
  Widget->setObjectName(QString::fromLatin1(Name));
  Widget->setGeometry(Left, Top, Width, Height);
  Widget->setFont(Font);
  return Widget;
}

QLabel* MakeLabel(QWidget* Parent, const char* Name, int Left, int Top, int Width, int Height,
                  const char* Caption, const QFont& Font = WindowFont(false)) {
  auto* Label =
      Place(new QLabel(QString::fromUtf8(Caption), Parent), Name, Left, Top, Width, Height, Font);
  Label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return Label;
}

constexpr TimingBox kTimingBoxes[] = {TimingBox::Log0Lo, TimingBox::Log0Hi, TimingBox::Log1Lo,
                                      TimingBox::Log1Hi};

// The client area, as the form was drawn; the menu bar stands above it.
constexpr int kClientWidth = 308;
constexpr int kClientHeight = 349;

// The timing that a layout starts with: the fast body's, or the standard
// timing at which the machine's own layout is read.
PulseTiming StartingTiming(TTapeLayoutChoice Layout) {
  return Layout == TTapeLayoutChoice::FastLoader ? DefaultTiming : PulseTiming::Standard();
}

// Equal bounds mean no bounds: the gap boxes take 0 (no pulses) or anything.
constexpr TSettingRange kNoBounds{0, 0};

TSpinEdit* MakeSpinEdit(QWidget* Parent, const char* Name, int Left, int Top, int Width,
                        std::int32_t Value, TSettingRange Range) {
  auto* Edit = Place(new TSpinEdit(Parent), Name, Left, Top, Width, 22, WindowFont(false));
  Edit->SetRange(Range.Min, Range.Max);
  Edit->SetValue(Value);
  return Edit;
}

QGroupBox* MakeGroupBox(QWidget* Parent, const char* Name, int Left, int Top, int Width, int Height,
                        const char* Caption) {
  auto* Box = Place(new QGroupBox(QString::fromUtf8(Caption), Parent), Name, Left, Top, Width,
                    Height, WindowFont(true));
  return Box;
}

TFileDialog* MakeFileDialog(QWidget* Parent, const char* Name, const char* Filter,
                            const char* Extension, QFileDialog::AcceptMode Mode) {
  auto* Dialog = new TFileDialog(Parent);
  Dialog->setObjectName(QString::fromLatin1(Name));
  Dialog->setNameFilter(QString::fromLatin1(Filter));
  Dialog->setDefaultSuffix(QString::fromLatin1(Extension));
  Dialog->setAcceptMode(Mode);
  // Any name may be typed: a missing input is the conversion's to report.
  Dialog->setFileMode(QFileDialog::AnyFile);
  Dialog->setSizeGripEnabled(true);
  return Dialog;
}

}  // namespace

TForm1::TForm1(QWidget* Parent)
    : QWidget(Parent),
      FMessageBoxes(QString::fromUtf8(ApplicationTitle)),
      FDefaultHandler(FMessageBoxes) {
  SetUpWindow();
  CreateComponents();
  CreateDialogs();
  PlaceMenu();
  ConnectMenu();
  setAcceptDrops(true);
}

void TForm1::SetUpWindow() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Kvetro ver. 0.1 alpha"));
  // A fixed single border: title, system menu, minimize and close, but no
  // maximize, and no resizing.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(WindowFont(false));

  QPalette Colours = palette();
  Colours.setColor(QPalette::Window, Colours.color(QPalette::Button));
  setPalette(Colours);
  setAutoFillBackground(true);

  FMenu = new TMainMenu(this);
  FClient = new QWidget(this);
  FClient->setObjectName(QStringLiteral("ClientArea"));
}

void TForm1::PlaceMenu() {
  const int Bar = FMenu->sizeHint().height();
  FMenu->setGeometry(0, 0, kClientWidth, Bar);
  FClient->setGeometry(0, Bar, kClientWidth, kClientHeight);
  setFixedSize(kClientWidth, Bar + kClientHeight);

  // The frame is not known before the window is shown: until then the
  // client area is centred, and showEvent centres the frame.
  if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
    QRect Client(QPoint(0, 0), size());
    Client.moveCenter(Screen->availableGeometry().center());
    setGeometry(Client);
  }
}

void TForm1::ConnectMenu() {
  connect(&FMenu->ConvertAction(), &QAction::triggered, this, [this] {
    if (Button1->isEnabled()) {
      Button1Click();
    }
  });
  connect(&FMenu->ReadAction(), &QAction::triggered, this, [this] { ChooseRecording(); });
  connect(&FMenu->QuitAction(), &QAction::triggered, this, &QWidget::close);
  connect(&FMenu->AboutAction(), &QAction::triggered, this,
          [this] { FMessageBoxes.ShowMessage(AboutText()); });
  connect(FMenu, &TMainMenu::LayoutChosen, this, &TForm1::LayoutChosen);
  connect(FMenu, &TMainMenu::WaveChosen, this, &TForm1::CheckChoice);
}

void TForm1::showEvent(QShowEvent* Event) {
  QWidget::showEvent(Event);
  if (FCentred) {
    return;
  }
  FCentred = true;
  const QScreen* Screen = screen();
  const QRect Frame = frameGeometry();
  if (Screen != nullptr && Frame != geometry()) {
    QRect Centred = Frame;
    Centred.moveCenter(Screen->availableGeometry().center());
    move(Centred.topLeft());
  }
}

void TForm1::dragEnterEvent(QDragEnterEvent* Event) {
  if (TPendingInput::DroppedFiles(*Event->mimeData())) {
    Event->acceptProposedAction();
  }
}

void TForm1::dropEvent(QDropEvent* Event) {
  if (const std::optional<QStringList> Paths = TPendingInput::DroppedFiles(*Event->mimeData())) {
    Event->acceptProposedAction();
    if (Paths->size() == 1 && TRecordingRead::IsRecording(Paths->front())) {
      // Once the drop has ended, so that the source is not kept waiting.
      QTimer::singleShot(0, this, [this, Path = Paths->front()] { ReadRecording(Path); });
    } else {
      FPendingInput.Set(*Paths);
    }
  }
}

void TForm1::CreateComponents() {
  OpenDialog1 = MakeFileDialog(this, "OpenDialog1", "MZF files (*.mzf *.m12 *.mzt)", "mzf",
                               QFileDialog::AcceptOpen);
  SaveDialog1 =
      MakeFileDialog(this, "SaveDialog1", "Wave files (*.wav)", "wav", QFileDialog::AcceptSave);
  // Replacing an existing WAV is confirmed by the user (Qt's default).
  SaveDialog1->setOption(QFileDialog::DontConfirmOverwrite, false);

  Button1 = Place(new QPushButton(QStringLiteral("Spustit konverzi"), FClient), "Button1", 104, 296,
                  97, 25, WindowFont(false));
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

  GroupBox1 = MakeGroupBox(FClient, "GroupBox1", 8, 8, 289, 129,
                           "Časování log. úrovní [v samplech při 44100 Hz]");
  Label1 = MakeLabel(GroupBox1, "Label1", 8, 56, 30, 13, "Log. 0");
  Label2 = MakeLabel(GroupBox1, "Label2", 8, 96, 30, 13, "Log. 1");
  SpinEdit1 =
      MakeSpinEdit(GroupBox1, "SpinEdit1", 64, 48, 49, DefaultTiming.Log0Lo, PulseHalfRange);
  SpinEdit2 =
      MakeSpinEdit(GroupBox1, "SpinEdit2", 192, 48, 49, DefaultTiming.Log0Hi, PulseHalfRange);
  SpinEdit3 =
      MakeSpinEdit(GroupBox1, "SpinEdit3", 64, 88, 49, DefaultTiming.Log1Lo, PulseHalfRange);
  SpinEdit4 =
      MakeSpinEdit(GroupBox1, "SpinEdit4", 192, 88, 49, DefaultTiming.Log1Hi, PulseHalfRange);
  Label3 = MakeLabel(GroupBox1, "Label3", 152, 56, 6, 13, "+");
  Label4 = MakeLabel(GroupBox1, "Label4", 152, 96, 6, 13, "+");
  Label5 = MakeLabel(GroupBox1, "Label5", 72, 24, 14, 13, "LO");
  Label6 = MakeLabel(GroupBox1, "Label6", 200, 24, 11, 13, "HI");

  GroupBox2 = MakeGroupBox(FClient, "GroupBox2", 8, 144, 289, 137, "Ostatní parametry");
  Label7 = MakeLabel(GroupBox2, "Label7", 8, 32, 135, 13, "Konstanta v monitoru [0A4B]");
  SpinEdit5 = MakeSpinEdit(GroupBox2, "SpinEdit5", 192, 24, 49, DefaultMonitorConstant,
                           MonitorConstantRange);
  Label8 = MakeLabel(GroupBox2, "Label8", 16, 72, 72, 13, "LGAP zavadec");
  Label9 = MakeLabel(GroupBox2, "Label9", 16, 96, 48, 13, "LGAP telo");
  SpinEdit6 = MakeSpinEdit(GroupBox2, "SpinEdit6", 168, 64, 73, DefaultGap, kNoBounds);
  SpinEdit7 = MakeSpinEdit(GroupBox2, "SpinEdit7", 168, 88, 73, DefaultGap, kNoBounds);

  Label10 = MakeLabel(FClient, "Label10", 96, 336, 118, 11, kFooter, FooterFont());
  Label10->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

  // Text of one kind keeps one size, so a fallback font shrinks all of it
  // alike; the lone "+" signs are fitted on their own.
  TCaptionFit::ApplyCommon({GroupBox1, GroupBox2});
  TCaptionFit::ApplyCommon({Label1, Label2, Label5, Label6, Label7, Label8, Label9, Button1});
  TCaptionFit::Apply(*Label3);
  TCaptionFit::Apply(*Label4);
  TCaptionFit::Apply(*Label10);

  setTabOrder(Button1, SpinEdit1);
  setTabOrder(SpinEdit1, SpinEdit2);
  setTabOrder(SpinEdit2, SpinEdit3);
  setTabOrder(SpinEdit3, SpinEdit4);
  setTabOrder(SpinEdit4, SpinEdit5);
  setTabOrder(SpinEdit5, SpinEdit6);
  setTabOrder(SpinEdit6, SpinEdit7);
}

void TForm1::CreateDialogs() {
  FRecordingDialog =
      MakeFileDialog(this, "RecordingDialog", "Wave files (*.wav)", "wav", QFileDialog::AcceptOpen);
  FFolderDialog = new TFileDialog(this);
  FFolderDialog->setObjectName(QStringLiteral("FolderDialog"));
  FFolderDialog->setFileMode(QFileDialog::Directory);
  FFolderDialog->setOption(QFileDialog::ShowDirsOnly);
  FFolderDialog->setWindowTitle(QString::fromUtf8("Uložit soubory do složky"));

  FRecordingRead = new TRecordingRead(this);
  connect(FRecordingRead, &TRecordingRead::Progress, this, [this](int Permille) {
    if (FProgress) {
      FProgress->setValue(Permille);
    }
  });
  connect(FRecordingRead, &TRecordingRead::Done, this, &TForm1::ReadDone);
  connect(FRecordingRead, &TRecordingRead::Failed, this, &TForm1::ReadFailed);
}

void TForm1::Button1Click() {
  // The last run's result stays on show only until the next run.
  ShowFooter(QString::fromUtf8(kFooter));
  FRunning = true;
  FCloseRequested = false;
  try {
    Convert();
    FRunning = false;
  } catch (const ERunAbandoned&) {
    FRunning = false;  // the output was dropped unnamed; the window is gone
    FReadAfterRun.reset();
  } catch (const std::exception& Failure) {
    FRunning = false;
    // The run has dropped its output; the window must be usable again
    // whatever failed.
    Button1->setEnabled(true);
    FMenu->setEnabled(true);
    FDefaultHandler.Handle(Failure);
  }
  if (const std::optional<QString> Recording = std::exchange(FReadAfterRun, std::nullopt)) {
    ReadRecording(*Recording);
  }
}

void TForm1::Convert() {
  // Read once, now: every check and both passes see these values, whatever
  // the boxes hold later.
  const TConversionSettings Settings = ReadSettings();
  FRunTiming = Settings.UserTiming;
  FShowingOther = false;
  TConversionRun Run(Settings, *this);
  if (!Run.CheckSettings()) {
    return;
  }
  const std::optional<std::vector<std::string>> InputNames = ChooseInputFiles();
  if (!InputNames || !Run.LoadFiles(*InputNames)) {
    return;
  }
  const std::optional<std::string> OutputName = ChooseOutputFile();
  if (!OutputName) {
    return;
  }
  TFileOutputOpener Files;
  try {
    Run.Write(*OutputName, Files);
  } catch (...) {
    if (FShowingOther) {
      ShowTiming(FRunTiming);
    }
    Button1->setEnabled(true);
    FMenu->setEnabled(true);
    throw;
  }
  Button1->setEnabled(true);
  FMenu->setEnabled(true);
  // What the file holds and how it was converted, as kvetro-cli --info says.
  Label10->setToolTip(
      QString::fromStdString(TapeInfoText(DescribeTape(Run.Tape(), Settings))).trimmed());
}

TConversionSettings TForm1::ReadSettings() const {
  TConversionSettings Settings;
  for (const TimingBox Box : kTimingBoxes) {
    Settings.UserTiming.Set(Box, ReadTiming(Box));
  }
  Settings.MonitorConstant = MonitorConstant();
  Settings.LoaderGap = LoaderGap();
  Settings.BodyGap = BodyGap();
  Settings.Layout = FMenu->Layout();
  Settings.SampleRate = FMenu->SampleRate();
  Settings.InvertLevels = FMenu->InvertLevels();
  return Settings;
}

void TForm1::ShowTiming(const PulseTiming& Timing) {
  for (const TimingBox Box : kTimingBoxes) {
    WriteTiming(Box, Timing.Get(Box));
  }
}

std::optional<std::vector<std::string>> TForm1::ChooseInputFiles() {
  std::optional<QStringList> Names = FPendingInput.TakeInput();
  if (!Names) {
    Names = OpenDialog1->ChooseFiles();
  }
  if (!Names) {
    return std::nullopt;
  }
  std::vector<std::string> Files;
  for (const QString& Name : *Names) {
    Files.push_back(Name.toStdString());
  }
  return Files;
}

std::optional<std::string> TForm1::ChooseOutputFile() {
  if (const std::optional<QString> Suggestion = FPendingInput.TakeOutputSuggestion()) {
    SaveDialog1->setDirectory(QFileInfo(*Suggestion).absolutePath());
    SaveDialog1->selectFile(*Suggestion);
  }
  const std::optional<QString> Name = SaveDialog1->Choose();
  return Name ? std::optional<std::string>(Name->toStdString()) : std::nullopt;
}

void TForm1::Refused(const std::string& Text) {
  FMessageBoxes.ShowMessage(QString::fromStdString(Text));
}

void TForm1::WaveInputRefused(const std::string& InputName) {
  if (FMessageBoxes.Ask(QString::fromStdString(WaveInputText(InputName)) +
                        QString::fromUtf8(".\n\nPřečíst tento soubor jako nahrávku?"))) {
    FReadAfterRun = QString::fromStdString(InputName);
  }
}

void TForm1::Warning(const std::string& Text) {
  FMessageBoxes.ShowWarning(QString::fromStdString(Text));
}

void TForm1::Writing() {
  // No second run starts inside this one while it lets messages through,
  // and the menu's choices wait for its end.
  Button1->setEnabled(false);
  FMenu->setEnabled(false);
}

// A file at another timing than the user's (the loader file at the standard
// timing) shows its timing in the boxes while it is written. Marked before
// the boxes change, so that a failure halfway puts the user's timing back.
void TForm1::FileStarts(const TPlannedFile& File) {
  if (File.FromLoader) {
    FShowingOther = true;
    ShowTiming(PulseTiming::Standard());
  } else if (FShowingOther) {
    ShowTiming(FRunTiming);
    FShowingOther = false;
  }
  ProcessMessages();
}

void TForm1::Written(const std::string& OutputName, std::uint64_t Samples, std::int32_t Rate) {
  // The footer is narrow: the file name without its folder, shortened in the
  // middle when even that does not fit beside the playing time.
  const QString Time = QStringLiteral(": ") + QString::fromStdString(PlayingTime(Samples, Rate));
  const QString Name = QFileInfo(QString::fromStdString(OutputName)).fileName();
  const QFontMetrics Metrics(Label10->font());
  const int Room = Label10->width() - Metrics.horizontalAdvance(Time);
  ShowFooter(Metrics.elidedText(Name, Qt::ElideMiddle, Room) + Time);
}

void TForm1::ShowFooter(const QString& Text) {
  Label10->setText(Text);
  Label10->setToolTip(QString());
}

TSpinEdit& TForm1::TimingEdit(TimingBox Box) const {
  switch (Box) {
    case TimingBox::Log0Lo:
      return *SpinEdit1;
    case TimingBox::Log0Hi:
      return *SpinEdit2;
    case TimingBox::Log1Lo:
      return *SpinEdit3;
    case TimingBox::Log1Hi:
      break;
  }
  return *SpinEdit4;
}

std::int32_t TForm1::ReadTiming(TimingBox Box) const {
  return TimingEdit(Box).Value();
}

void TForm1::WriteTiming(TimingBox Box, std::int32_t Value) {
  TimingEdit(Box).SetValue(Value);
}

std::int32_t TForm1::MonitorConstant() const {
  return SpinEdit5->Value();
}

std::int32_t TForm1::LoaderGap() const {
  return SpinEdit6->Value();
}

std::int32_t TForm1::BodyGap() const {
  return SpinEdit7->Value();
}

void TForm1::ProcessMessages() {
  QCoreApplication::processEvents();
  if (FCloseRequested) {
    throw ERunAbandoned();
  }
}

void TForm1::closeEvent(QCloseEvent* Event) {
  if (FRunning) {
    FCloseRequested = true;
  }
  FRecordingRead->Stop();
  EndReading();
  QWidget::closeEvent(Event);
}

// A timing left as the previous layout started it becomes the new layout's;
// one the user typed stays. The monitor constant and the gaps belong to the
// fast loader alone.
void TForm1::LayoutChosen(TTapeLayoutChoice Previous) {
  const TTapeLayoutChoice Layout = FMenu->Layout();
  if (ReadSettings().UserTiming == StartingTiming(Previous)) {
    ShowTiming(StartingTiming(Layout));
  }
  const bool Fast = Layout == TTapeLayoutChoice::FastLoader;
  for (QWidget* Control :
       std::initializer_list<QWidget*>{SpinEdit5, SpinEdit6, SpinEdit7, Label7, Label8, Label9}) {
    Control->setEnabled(Fast);
  }
  // The fast loader takes one program; the machine's own layout a tape of
  // several files, which must exist to be picked together.
  OpenDialog1->setFileMode(Fast ? QFileDialog::AnyFile : QFileDialog::ExistingFiles);
  CheckChoice();
}

void TForm1::CheckChoice() {
  if (const std::optional<std::string> Refusal = SettingsRefusal(ReadSettings())) {
    FMessageBoxes.ShowMessage(QString::fromStdString(*Refusal));
  }
}

void TForm1::ChooseRecording() {
  if (FRunning || FRecordingRead->Running()) {
    return;
  }
  if (const std::optional<QString> Path = FRecordingDialog->Choose()) {
    ReadRecording(*Path);
  }
}

void TForm1::ReadRecording(const QString& Path) {
  if (FRunning || FRecordingRead->Running()) {
    return;
  }
  FMenu->ReadAction().setEnabled(false);
  FProgress =
      new QProgressDialog(QString::fromUtf8("Čtu nahrávku %1…").arg(QFileInfo(Path).fileName()),
                          QString::fromUtf8("Zastavit"), 0, 1000, this);
  FProgress->setObjectName(QStringLiteral("ReadProgress"));
  FProgress->setWindowTitle(QString::fromUtf8(ApplicationTitle));
  FProgress->setAutoReset(false);
  FProgress->setAutoClose(false);
  connect(FProgress, &QProgressDialog::canceled, this, [this] {
    FRecordingRead->Stop();
    EndReading();
  });
  FProgress->show();
  FRecordingRead->Start(Path);
}

void TForm1::EndReading() {
  if (FProgress) {
    FProgress->hide();
    FProgress->deleteLater();
  }
  FMenu->ReadAction().setEnabled(true);
}

void TForm1::ReadDone(const TTapeReport& Report) {
  EndReading();
  if (FReport) {
    FReport->close();
  }
  FReport = new TReadReportDialog(Report, *FFolderDialog, FMessageBoxes, this);
  FReport->setAttribute(Qt::WA_DeleteOnClose);
  FReport->show();
}

void TForm1::ReadFailed(const QString& Message) {
  EndReading();
  FMessageBoxes.ShowStop(TDefaultHandler::BoxText(Message.toStdString()));
}

}  // namespace kvetro
