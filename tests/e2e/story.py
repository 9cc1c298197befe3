"""The one story that every end-to-end driver tells (Qt, Windows, the browser): a table of what a
pupil does and what must follow. A driver carries out each row: press(key) in the window
("Return", "Escape", or "access", Alt+П); ask(coordinate), waiting for the dialog that asks for it
afresh; reply(typed, key); and follows(what, kind, expected): a new "line" in Text1, heard where
the focus is elsewhere; the line "kept", unheard; the error "report"; the program's "end". Its own
checks run where `at` says: at[(row, coordinate)] once that dialog asks, at[(row, None)] after."""

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
