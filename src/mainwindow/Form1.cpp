#include "mainwindow/Form1.h"

Form1::Form1(Platform, QWidget* parent) : QWidget(parent) {}

Form1::~Form1() = default;
