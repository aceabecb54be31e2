#pragma once

namespace helixplot {

// The fixed waits of one mapping run: after showing the progress dialog,
// after the statistics stage and before closing the dialog.
inline constexpr int FixedWaitsMs = 100 + 500 + 1000;

// For measuring the desktop program: from now on, every accepted selection
// dialog writes one line to standard error once the main window has been
// painted: the time from the acceptance, that time less FixedWaitsMs, when
// the processor time the program used meanwhile, when the progress dialog
// closed, and how many paint events its widgets got.
// The program installs it only when HELIXPLOT_TRACE_TIMING is set.
void installTimingTrace();

} // namespace helixplot
