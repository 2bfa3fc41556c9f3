#pragma once
// Dialogs are declared as data: a caption, a size and a font size, and a table of
// controls with their places in dialog units. One builder in the Qt layer makes the
// widgets from such a table; the dialog classes add behaviour only.
//
// A dialog unit is a quarter of the dialog font's average character width across
// and an eighth of its height down, so a layout keeps its proportions at any
// resolution and font.

#include <string>
#include <vector>

struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The dialog font's average character width and height in pixels.
struct DialogBaseUnits {
    int averageCharWidth = 0;
    int charHeight = 0;
};

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Dialog units to pixels, rounded to nearest.
int dialogUnitsToPixelsX(int units, DialogBaseUnits base);
int dialogUnitsToPixelsY(int units, DialogBaseUnits base);
PixelRect toPixels(const DialogRect& rect, DialogBaseUnits base);

// The average character width as the windowing systems define it for dialogs: the
// width of "A".."Z" followed by "a".."z", divided by 26, plus one, halved.
int averageCharWidthFromAlphabet(int alphabetWidth);

enum class ControlKind {
    Static,         // text
    Edit,           // single-line edit box
    MultiLineEdit,  // multi-line edit box
    CheckBox,
    RadioButton,
    PushButton,
    DefaultButton,  // the push button that Enter presses
    GroupBox,       // a titled frame drawn around other controls
    ListBox,
    Picture,  // drawn by the dialog itself
};

// Style bits that apply to some kinds.
enum ControlStyle : unsigned {
    StyleNone = 0,
    AlignCenter = 1u << 0,  // Static: centred
    AlignRight = 1u << 1,   // Static: right-aligned
    GroupStart = 1u << 2,   // RadioButton: first button of a group
    NoWrap = 1u << 3,       // Static: single line
    VerticalScroll = 1u << 4,
    MultiColumn = 1u << 5,  // ListBox
    ReadOnly = 1u << 6,     // Edit
};

struct ControlSpec {
    ControlKind kind = ControlKind::Static;
    int id = 0;        // identifier the dialog uses to find the control
    std::string text;  // UTF-8; for Edit boxes the initial text
    DialogRect place;
    unsigned style = StyleNone;
    int maxChars = 0;  // Edit: character limit, 0 for none
};

struct DialogTemplate {
    std::string caption;  // UTF-8; empty for none
    int width = 0;        // dialog units
    int height = 0;
    int pointSize = 8;  // the dialog font's size
    std::vector<ControlSpec> controls;
};
