#pragma once

#include <QMenuBar>
#include <cstdint>

#include "tape/ConversionSettings.h"

class QAction;
class QActionGroup;

namespace kvetro {

// The window's menu bar, in the window's language: "Soubor" (convert an MZF
// file as the start button does, read a recording back, quit), "Páska" (the
// tape's layout, the WAV's sample rate, inverted levels) and "Nápověda"
// (about the program). Every item has a mnemonic, the frequent ones a
// shortcut too. The tape's choices start from the conversion's defaults at
// every launch, as the boxes do; nothing is saved.
class TMainMenu : public QMenuBar {
  Q_OBJECT

 public:
  explicit TMainMenu(QWidget* Parent);

  QAction& ConvertAction() const { return *FConvert; }
  QAction& ReadAction() const { return *FRead; }
  QAction& QuitAction() const { return *FQuit; }
  QAction& AboutAction() const { return *FAbout; }

  TTapeLayoutChoice Layout() const;
  std::int32_t SampleRate() const;
  bool InvertLevels() const;

  // The rate items' rates and the layout items' layouts, for choosing one as
  // the user would (tests).
  QAction& LayoutAction(TTapeLayoutChoice Layout) const;
  QAction& RateAction(std::int32_t Rate) const;
  QAction& InvertAction() const { return *FInvert; }

 signals:
  // The user chose another layout; Previous is the one chosen before.
  void LayoutChosen(kvetro::TTapeLayoutChoice Previous);
  // The user chose a rate or turned the levels over.
  void WaveChosen();

 private:
  QAction* FConvert = nullptr;
  QAction* FRead = nullptr;
  QAction* FQuit = nullptr;
  QAction* FAbout = nullptr;
  QAction* FInvert = nullptr;
  QActionGroup* FLayouts = nullptr;
  QActionGroup* FRates = nullptr;
  TTapeLayoutChoice FLayout = TTapeLayoutChoice::FastLoader;
};

}  // namespace kvetro
