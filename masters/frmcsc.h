#pragma once
// The register of cities, with their states and countries.

#include "platform/form.h"

class FrmCsC : public Form {
    Q_OBJECT
public:
    explicit FrmCsC(QWidget* parent = nullptr);
    void Form_Load() override;
};
