#pragma once
// The click handlers of the three buttons: glue that reads the controls, calls the
// core and writes the results back.
namespace kolvane {

class Shell;

// "Load": the file dialog, then the chosen file becomes the picture of 画板2.
void LoadPicture(Shell& shell);
// "Start": converts what 画板2 shows into text art on 画板1 and the RTF document.
void ConvertPicture(Shell& shell);
// "Clear": wipes 画板1.
void ClearCanvas(Shell& shell);

}  // namespace kolvane
