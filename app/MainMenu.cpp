#include "app/MainMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>

namespace kvetro {

namespace {

struct TLayoutItem {
  TTapeLayoutChoice Layout;
  const char* Caption;
};
constexpr TLayoutItem kLayoutItems[] = {
    {TTapeLayoutChoice::FastLoader, "&Rychlý zavaděč (MZ-700)"},
    {TTapeLayoutChoice::Standard, "&Formát stroje (všechny MZ)"},
    {TTapeLayoutChoice::StandardNoCopies, "Formát stroje &bez kopií"},
};

// Phones and most USB sound cards play everything at 48000 Hz; some SD-card
// tape players want 22050 Hz.
struct TRateItem {
  std::int32_t Rate;
  const char* Caption;
};
constexpr TRateItem kRateItems[] = {
    {44100, "&44100 Hz"},
    {48000, "4&8000 Hz (telefony, zvukové karty USB)"},
    {22050, "&22050 Hz"},
};

QAction* AddItem(QMenu& Menu, const char* Name, const char* Caption,
                 const QKeySequence& Shortcut = {}) {
  QAction* Action = Menu.addAction(QString::fromUtf8(Caption));
  Action->setObjectName(QString::fromLatin1(Name));
  Action->setShortcut(Shortcut);
  return Action;
}

QAction* AddChoice(QMenu& Menu, QActionGroup& Group, const char* Caption, int Value, bool Chosen) {
  QAction* Action = Menu.addAction(QString::fromUtf8(Caption));
  Action->setCheckable(true);
  Action->setChecked(Chosen);
  Action->setData(Value);
  Group.addAction(Action);
  return Action;
}

QAction& ActionOf(const QActionGroup& Group, int Value) {
  const QList<QAction*> Actions = Group.actions();
  for (QAction* Action : Actions) {
    if (Action->data().toInt() == Value) {
      return *Action;
    }
  }
  return *Actions.front();
}

}  // namespace

TMainMenu::TMainMenu(QWidget* Parent) : QMenuBar(Parent) {
  setObjectName(QStringLiteral("MainMenu"));
  // The window's own menu, also where the desktop would take it to the top
  // of the screen: the form below keeps its place only with the bar above it.
  setNativeMenuBar(false);

  QMenu* File = addMenu(QString::fromUtf8("&Soubor"));
  FConvert = AddItem(*File, "ConvertAction", "&Převést MZF…", QKeySequence::Open);
  FRead = AddItem(*File, "ReadAction", "Přečíst &nahrávku…", QKeySequence(Qt::CTRL | Qt::Key_R));
  File->addSeparator();
  FQuit = AddItem(*File, "QuitAction", "&Konec", QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* Tape = addMenu(QString::fromUtf8("&Páska"));
  FLayouts = new QActionGroup(this);
  for (const TLayoutItem& Item : kLayoutItems) {
    AddChoice(*Tape, *FLayouts, Item.Caption, static_cast<int>(Item.Layout),
              Item.Layout == TTapeLayoutChoice::FastLoader);
  }
  Tape->addSeparator();
  FRates = new QActionGroup(this);
  for (const TRateItem& Item : kRateItems) {
    AddChoice(*Tape, *FRates, Item.Caption, Item.Rate, Item.Rate == DefaultSampleRate);
  }
  Tape->addSeparator();
  FInvert = AddItem(*Tape, "InvertAction", "&Obrácená polarita");
  FInvert->setCheckable(true);

  QMenu* Help = addMenu(QString::fromUtf8("&Nápověda"));
  FAbout = AddItem(*Help, "AboutAction", "&O programu");

  connect(FLayouts, &QActionGroup::triggered, this, [this] {
    const TTapeLayoutChoice Previous = FLayout;
    FLayout = Layout();
    if (FLayout != Previous) {
      emit LayoutChosen(Previous);
    }
  });
  connect(FRates, &QActionGroup::triggered, this, [this] { emit WaveChosen(); });
  connect(FInvert, &QAction::triggered, this, [this] { emit WaveChosen(); });
}

TTapeLayoutChoice TMainMenu::Layout() const {
  return static_cast<TTapeLayoutChoice>(FLayouts->checkedAction()->data().toInt());
}

std::int32_t TMainMenu::SampleRate() const {
  return FRates->checkedAction()->data().toInt();
}

bool TMainMenu::InvertLevels() const {
  return FInvert->isChecked();
}

QAction& TMainMenu::LayoutAction(TTapeLayoutChoice Layout) const {
  return ActionOf(*FLayouts, static_cast<int>(Layout));
}

QAction& TMainMenu::RateAction(std::int32_t Rate) const {
  return ActionOf(*FRates, Rate);
}

}  // namespace kvetro
