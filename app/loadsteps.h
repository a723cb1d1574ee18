#pragma once

#include <QString>
#include <functional>
#include <vector>

// Runs the steps of loading a window in order. A step that fails because a file or folder is
// missing (the company logo, say) is explained in an information box and loading goes on with
// the next step; any other failure is reported with ShowError under title and ends the run.
// Returns true when every step ran.
bool RunLoadSteps(const std::vector<std::function<void()>>& steps, const QString& title);
