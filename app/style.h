#pragma once

class QApplication;

// The program's look: a light, calm palette with clear group frames and emphasised totals.
void applyProgramStyle(QApplication& app);
