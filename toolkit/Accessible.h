#pragma once

namespace toolkit {

// Lets a screen reader read and use the toolkit's own windows and controls: the windows as
// windows or dialogs, the text boxes (EditBox, RichEdit) as read-only text fields whose whole
// text can be read, and the controls that take a click without being push buttons (ClickLabel,
// GlyphButton) as buttons that the screen reader can press. Their names are the controls'
// accessible names, set with their windows' layouts.
void installAccessibility();

} // namespace toolkit
