#include "info_window.h"

TForm5::TForm5(DialogModes &modes, QWidget *parent) : QDialog(parent), modes_(modes) {}
