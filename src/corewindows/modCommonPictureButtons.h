#pragma once
#include <QRgb>

class QLabel;
class QWidget;

// Drawn command buttons for a window with a background picture (the window's "Picture"
// property, a QPixmap): each command button gets a normal and a pressed picture cut from the
// background under it, with its caption printed on top over a shadow. The caption moves into
// the button's "Tag" property, so a second run draws the same text again. The pictures are
// the buttons' "Picture" and "DownPicture" properties, which a GraphicalButton shows.
namespace modCommon {

void SetUpPictureButtons(QWidget* window, QLabel* picCopy, QRgb backColour, QRgb textColour, QRgb shadowColour,
                         bool& copyBackground, bool shadow);

}  // namespace modCommon
