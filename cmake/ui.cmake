# The desktop program and its tests (Qt 6 Widgets).
