#pragma once

class TMainForm;
class TForm1;
class TToolTipForm;
class TTestForm;
class TFavoriteForm;
class TShowFavorForm;

// The six program-wide window references, set once at start-up in creation order.
// Windows reach each other only through these.
struct TRoster {
    TMainForm* MainForm = nullptr;
    TForm1* Form1 = nullptr;
    TToolTipForm* ToolTipForm = nullptr;
    TTestForm* TestForm = nullptr;
    TFavoriteForm* FavoriteForm = nullptr;
    TShowFavorForm* ShowFavorForm = nullptr;
};

TRoster& Roster();
