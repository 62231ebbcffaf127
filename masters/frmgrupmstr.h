#pragma once
// The register of groups.

#include "platform/form.h"

class FrmGrupMstr : public Form {
    Q_OBJECT
public:
    explicit FrmGrupMstr(QWidget* parent = nullptr);
    void Form_Load() override;
};
