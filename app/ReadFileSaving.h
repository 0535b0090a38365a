#pragma once

#include <vector>

#include "app/FileDialog.h"
#include "app/MessageBoxes.h"
#include "reader/TapeReport.h"

namespace kvetro {

// "Uložit soubory…": the files of a read written into a folder that the
// user chooses, named and chosen as kvetro-cli read does it
// (reader/ReadFileChoice.h). The user is asked whether to keep what was read
// of files not read whole (as NAME.bad.mzf), and whether to replace files
// that the folder already holds; one box then tells what was written and
// what was not. Nothing happens when the folder dialog is cancelled.
void SaveReadFiles(const std::vector<TFileReport>& Files, TFileDialog& FolderDialog,
                   TMessageBoxes& Boxes);

}  // namespace kvetro
