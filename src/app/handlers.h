#pragma once
// The click handlers of the three buttons: glue that reads the controls, calls the
// core and writes the results back.
#include <string>

class QString;

namespace kolvane {

class Shell;

// "Load": the file dialog, then the chosen file becomes the picture of 画板2.
void LoadPicture(Shell& shell);
// "Load" as if the user had chosen path in the file dialog (for a picture named when
// the program starts): the dialog keeps it as its file name and it becomes the
// picture of 画板2. A path the dialog could not give (no such file) changes nothing.
// Gives why 画板2 got no picture from path, or "" when it did.
std::string LoadPictureFrom(Shell& shell, const QString& path);
// "Start": converts what 画板2 shows into text art on 画板1 and the RTF document.
void ConvertPicture(Shell& shell);
// "Clear": wipes 画板1.
void ClearCanvas(Shell& shell);

}  // namespace kolvane
