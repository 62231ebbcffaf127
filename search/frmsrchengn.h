#pragma once
// The search engine: live searches over the parties.

#include "platform/form.h"

class FrmSrchEngn : public Form {
    Q_OBJECT
public:
    explicit FrmSrchEngn(QWidget* parent = nullptr);
    void Form_Load() override;
};
