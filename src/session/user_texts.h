// The German texts every front end shows the same way: the help box and the pop-up menu's
// entries (also the web page's button row), each entry with the command value it hands on.
#pragma once

// The help box "Hinweis" at start-up.
inline constexpr const char* kHelpText =
    "Demonstrationsprogramm zur Weissenberg-Geometrie\n"
    "-w-a-s-d-Tasten (oder linke Maustaste): Kammerarotation\n"
    "Pfeiltasten: Kristallrotation\n"
    "Maus ueber einem Punkt: seine Indizes\n"
    "b: Legende und Skalen der Filme ein/aus\n"
    "p: Bilder und Protokoll speichern\n"
    "i: Intensitaeten (Atome aus einer CIF-Datei) ein/aus\n"
    "Menue: rechte Maustaste";

inline constexpr const char* kMenuDivider = "________________________________";

struct MenuEntry {
    const char* caption;
    int value;  // for menuCommand: function-key code, a letter ('x', 'b', 'p'), Escape (27) or 0 for a divider
};

inline constexpr MenuEntry kMenuEntries[] = {
    {"Reziproke Gitterpunkte ein/aus(F1)", 1},
    {"Lade Ausgangsposition [+shift fuer Kammera] (F2)", 2},
    {"Lichteffekte kurzzeitig aus(F3)", 3},
    {"Ewaldkugel ein/aus(F4)", 4},
    {"Nur Reflexe aus aktueller Schicht(F5)", 5},
    {"Transparenz ein/aus(F6)", 6},
    {kMenuDivider, 0},
    {"Rotationsaufnahme (Drehkristall)(F7)", 7},
    {"Weissenberg 0. Schicht(F8,0)", 8},
    {"Weissenberg 1. Schicht(F9,1)", 9},
    {"Rotation aus(F11)", 11},
    {"Rotation an(F12)", 12},
    {kMenuDivider, 0},
    {"Achsen ein/aus(x)", 120},
    {"Legende und Skalen ein/aus(b)", 'b'},
    {"Bilder und Protokoll speichern(p)", 'p'},
    {kMenuDivider, 0},
    {"Beenden (q,ESC)", 27},
};
