#pragma once
// The about box: the publisher's logo and contact lines.

#include "platform/form.h"

class QLabel;

class FrmAbtus : public Form {
    Q_OBJECT
  public:
    explicit FrmAbtus(QWidget* parent = nullptr);
    void Form_Load() override;

    // Where the box opens inside a main window whose inner area is
    // innerWidth x innerHeight twips: Left, Top in twips.
    static QPoint Placement(double innerWidth, double innerHeight);

    QLabel* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
};
