"""The one story that every end-to-end driver tells, the Qt program's, the Windows program's and the
browser's: a table of what a pupil does and what must follow, carried out row by row by a driver of
the front end. A driver has:
- press(key): a key in the window: "Return", "Escape", or "access", the access key (Alt+П);
- ask(coordinate): waits for the dialog that asks for the coordinate afresh;
- reply(typed, key): types `typed` into it (None: nothing) and presses `key`;
- follows(what, kind, expected): checks what must follow: "line", a new line in Text1, which a
  screen reader hears where the focus is elsewhere; "kept", the line that Text1 keeps, unheard;
  "report", the error report; "end", the program's end.
The driver's own checks of a moment run where `at` says: at[(row, coordinate)] once that dialog asks,
at[(row, None)] after the row."""

OVERFLOW = "Ошибка выполнения 6: Переполнение"
AXIS_Y = "X = 0; Y = 5; Положение - ось Y"
ORIGIN = "X = 0; Y = 0; Положение - начало координат"
AXIS_X = "X = -12,5; Y=0; Положение ось X"

# One row a step: what the pupil does, the keys pressed in the window, the dialogs answered, each
# (coordinate, what is typed, the key that closes it), and what must follow (kind, expected).
STORY = [
    ("a check from Text1", ["Return"], [("X", "-2.5", "Return"), ("Y", "7", "Return")],
     ("line", "X = -2,5; Y = 7; Пложение: II четверть")),
    ("the access key, X cancelled", ["access"], [("X", None, "Escape"), ("Y", "5", "Return")],
     ("line", AXIS_Y)),
    ("both cancelled", ["Return"], [("X", None, "Escape"), ("Y", None, "Escape")],
     ("line", ORIGIN)),
    ("a zero Y", ["Return"], [("X", "-12.5", "Return"), ("Y", "0", "Return")], ("line", AXIS_X)),
    ("an X beyond a double", ["Return"], [("X", "1e999", "Return")], ("report", OVERFLOW)),
    ("the report closed", ["Return"], [], ("kept", AXIS_X)),
    ("Escape", ["Escape"], [], ("end", None)),
]


def tell(driver, rows=STORY, at=None):
    """Carries out each row on the driver, with the driver's own checks where `at` places them."""
    at = at or {}
    for what, presses, answers, (kind, expected) in rows:
        for key in presses:
            driver.press(key)
        for coordinate, typed, key in answers:
            driver.ask(coordinate)
            at.get((what, coordinate), lambda: None)()
            driver.reply(typed, key)
        driver.follows(what, kind, expected)
        at.get((what, None), lambda: None)()
