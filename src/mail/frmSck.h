#pragma once

#include <QWidget>

namespace mail
{

// A hidden window that hosts the socket of the mail class; nothing shows it.
class frmSck : public QWidget
{
    Q_OBJECT

public:
    frmSck();

    void Form_Load() { }
};

} // namespace mail
