#pragma once

namespace tembra {

// Tooltips read in the direction of their text: a Sorani or Arabic tooltip is laid out
// right to left, against the right edge, as the window's labels are; the toolkit lays every
// tooltip out left to right. A widget's tooltip, and a list row's, stay the texts they are
// (assistive technology reads them as they are); only their showing changes. Installed once
// for the application, by the first window built.
void showTooltipsInTheirDirection();

} // namespace tembra
