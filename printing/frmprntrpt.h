#pragma once
// The printing form: address stickers for one party.

#include "platform/form.h"

class FrmPrntrpt : public Form {
    Q_OBJECT
public:
    explicit FrmPrntrpt(QWidget* parent = nullptr);
    void Form_Load() override;
};
