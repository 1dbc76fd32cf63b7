#pragma once

// Every drop on the program's windows is answered as a copy, whatever the
// drag source proposes: GTK file managers propose a move while Shift is
// held (Shift also opens the Convert wheel), and a move would tell them to
// delete the originals.
namespace DropActions {

// Call once, after the application object exists.
void answerEveryDropAsCopy();

} // namespace DropActions
