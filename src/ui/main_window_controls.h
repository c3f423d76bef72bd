// The main window's controls: every one is held under the name that is also its
// objectName, so tests and the layout tables find it by that name.
#pragma once

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QShortcut;
class QTimer;

namespace orlex::ui {

class ClickableLabel;
class MotorLamp;
class CrossLine;
class PreviewWidget;

// X(type, name) for each control, in the order they are built.
#define ORLEX_MAIN_WINDOW_CONTROLS(X)                                                                                  \
    X(QGroupBox, plotterControlFrame)                                                                                  \
    X(QPushButton, stepUpButton)                                                                                       \
    X(QPushButton, stepLeftButton)                                                                                     \
    X(QPushButton, penButton)                                                                                          \
    X(QPushButton, stepRightButton)                                                                                    \
    X(QPushButton, stepDownButton)                                                                                     \
    X(QPushButton, penHomeButton)                                                                                      \
    X(QPushButton, penToZeroButton)                                                                                    \
    X(QPushButton, motorButton)                                                                                        \
    X(QGroupBox, stepTypeFrame)                                                                                        \
    X(QRadioButton, fullStepOption)                                                                                    \
    X(QRadioButton, halfStepOption)                                                                                    \
    X(QGroupBox, minimumFrame)                                                                                         \
    X(QGroupBox, maximumFrame)                                                                                         \
    X(QGroupBox, limitFrame)                                                                                           \
    X(QLabel, minXCaption)                                                                                             \
    X(QLabel, minXLabel)                                                                                               \
    X(QLabel, minYCaption)                                                                                             \
    X(QLabel, minYLabel)                                                                                               \
    X(QLabel, maxXCaption)                                                                                             \
    X(QLabel, maxXLabel)                                                                                               \
    X(QLabel, maxYCaption)                                                                                             \
    X(QLabel, maxYLabel)                                                                                               \
    X(QLabel, limitXCaption)                                                                                           \
    X(QLabel, limitXLabel)                                                                                             \
    X(QLabel, limitYCaption)                                                                                           \
    X(QLabel, limitYLabel)                                                                                             \
    X(QLabel, portCaption)                                                                                             \
    X(QLabel, portLabel)                                                                                               \
    X(PreviewWidget, previewCanvas)                                                                                    \
    X(QLineEdit, fileNameBox)                                                                                          \
    X(QGroupBox, drawControlFrame)                                                                                     \
    X(QPushButton, drawButton)                                                                                         \
    X(QPushButton, testAndShowButton)                                                                                  \
    X(QPushButton, clearButton)                                                                                        \
    X(QScrollBar, zoomScrollBar)                                                                                       \
    X(QLineEdit, zoomBox)                                                                                              \
    X(QLabel, zoomCaption)                                                                                             \
    X(QGroupBox, originFrame)                                                                                          \
    X(QLabel, originRowXCaption)                                                                                       \
    X(ClickableLabel, originYLabel)                                                                                    \
    X(QLabel, originRowYCaption)                                                                                       \
    X(ClickableLabel, originXLabel)                                                                                    \
    X(QCheckBox, showPenUpCheck)                                                                                       \
    X(QGroupBox, velocityFrame)                                                                                        \
    X(QLineEdit, statusBox)                                                                                            \
    X(QLabel, stepTimeCaption)                                                                                         \
    X(QPushButton, presenceCheckButton)                                                                                \
    X(QPushButton, speedButton)                                                                                        \
    X(QGroupBox, motorFrame)                                                                                           \
    X(MotorLamp, motorLamp)                                                                                            \
    X(QLabel, motorLetter)                                                                                             \
    X(CrossLine, motorSlashLine)                                                                                       \
    X(CrossLine, motorBackslashLine)                                                                                   \
    X(QLabel, motorStatusLabel)                                                                                        \
    X(QFrame, menuRule)                                                                                                \
    X(QTimer, statusTimer)                                                                                             \
    X(QTimer, liveViewTimer) /* during a draw: preview ink and progress */                                             \
    X(QMenu, fileMenu)                                                                                                 \
    X(QAction, openAction)                                                                                             \
    X(QAction, openPrivateAction)                                                                                      \
    X(QAction, exitAction)                                                                                             \
    X(QMenu, recentFilesMenu) /* "Recent files", newest first */                                                       \
    X(QMenu, runMenu)                                                                                                  \
    X(QAction, testAndShowAction) /* F5, as the button */                                                              \
    X(QAction, drawAction)        /* Ctrl+D, enabled with the button */                                                \
    X(QMenu, viewMenu)                                                                                                 \
    X(QAction, wholePlotAction)      /* "Whole plot in the preview", checkable, remembered */                          \
    X(QAction, virtualPlotterAction) /* "Virtual plotter": only with a virtual plotter's view */                       \
    X(QMenu, optionsMenu)                                                                                              \
    X(QAction, settingsAction)                                                                                         \
    X(QAction, shorterTravelAction) /* "Shorter pen-up travel", checkable */                                           \
    X(QAction, fullHpglAction)      /* "Full HP-GL", checkable: the full HP-GL reading */                              \
    X(QMenu, lineWorkMenu)          /* "Line work": four checkable options, remembered */                              \
    X(QAction, hideCoveredAction)   /* "Hide lines under fills" (SVG drawings) */                                      \
    X(QAction, dedupeAction)        /* "Drop retraced lines" */                                                        \
    X(QAction, mergeAction)         /* "Join strokes that meet" */                                                     \
    X(QAction, simplifyAction)      /* "Simplify curves" */                                                            \
    X(QAction, strokeTextAction)    /* "Text in a single-stroke font", checkable, on: SVG text drawn, else left out */ \
    X(QMenu, helpMenu)                                                                                                 \
    X(QAction, portCheckAction) /* Help > "Port check…": the port check's report */                                  \
    X(QAction, aboutAction)                                                                                            \
    /* Status bar, under the client area. */                                                                           \
    X(QLabel, progressLabel)             /* draw progress, or the estimate after a test */                             \
    X(QPushButton, stopButton)           /* "Stop", shown only during a draw */                                        \
    X(QPushButton, pauseButton)          /* "Pause", during a draw that is not paused */                               \
    X(QPushButton, continueButton)       /* "Continue", while a draw is paused */                                      \
    X(QPushButton, resumeButton)         /* "Resume from point N", after a draw ended early */                         \
    X(QShortcut, pauseShortcut)          /* Space: Pause or Continue during a draw */                                  \
    X(QAction, pauseAtPenChangeAction)   /* Options > "Pause at pen change" */                                         \
    X(QLabel, inputLabel)                /* after a test: an SVG's conversion notes, the travel saved */               \
    X(QLabel, positionLabel)             /* the carriage's position in mm, once a homing made it known */              \
    X(QFrame, journalBar)                /* at start: the draw a journal kept, to resume or discard */                 \
    X(QLabel, journalLabel)              /* "The draw of FILE stopped at point N of M, ..." */                         \
    X(QPushButton, journalResumeButton)  /* "Resume", or "Resume from here" for an unknown origin */                   \
    X(QPushButton, journalDiscardButton) /* "Discard" */

struct MainWindowControls {
#define ORLEX_DECLARE_CONTROL(Type, name) Type* name = nullptr;
    ORLEX_MAIN_WINDOW_CONTROLS(ORLEX_DECLARE_CONTROL)
#undef ORLEX_DECLARE_CONTROL
};

} // namespace orlex::ui
