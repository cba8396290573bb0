#pragma once

#include "platform/Platform.h"

#include <QWidget>

// The main window. Services missing from the platform given are provided by
// the real (Qt) implementations.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(Platform platform = {}, QWidget* parent = nullptr);
    ~Form1() override;
};
