#pragma once

class QWidget;

// Return and the keypad's Enter on a window's buttons, as people type them.
namespace enterkey {

// Lets Return and Enter click the push button that has the focus in the
// window, as Space does. Qt itself does so only for the default buttons of a
// dialog; on a plain window the key would do nothing.
void clicksFocusedButton(QWidget* window);

} // namespace enterkey
