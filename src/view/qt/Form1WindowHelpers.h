#pragma once
// What the files of the Qt view of Form1 share: units, texts and colours.

#include <QColor>
#include <QString>
#include <cstdint>
#include <string>

class QListWidget;

namespace tavro {

// Logical pixels: Qt's own high-DPI scaling turns them into device pixels.
int Px(int twips);
QString Q(const std::string& text);
// A colour as the classic runtime stores it: a Windows system colour taken
// from the system's palette, so it follows the colour scheme, or a fixed
// 0x00BBGGRR.
QColor ToQColor(std::uint32_t value);
// The model's selection, and no current row without one (see FileList).
void ShowFileSelection(QListWidget* list, int index);

}  // namespace tavro
