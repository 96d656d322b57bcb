#pragma once

class QCheckBox;

// A check box's value as the toolkit numbers it: 0 unticked, 1 ticked, 2 greyed.
short checkValue(const QCheckBox* box);
