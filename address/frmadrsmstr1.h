#pragma once
// The address master: entering, changing and deleting parties.

#include "platform/form.h"

class FrmAdrsMstr1 : public Form {
    Q_OBJECT
public:
    explicit FrmAdrsMstr1(QWidget* parent = nullptr);
    void Form_Load() override;
};
