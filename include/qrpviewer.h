/*
 * qrpviewer.h: the functions a host program calls to show and print saved report files
 * (.qrp) through libqrpviewer.so.
 *
 * Calling order: CreateObject first; then any number of ViewReportFile and PrintReportFile
 * calls; DestroyObject last. Every call must come from the thread that runs the host's Qt
 * event loop, or, when the host has no Qt application, from one and the same thread: the
 * library then creates the Qt application object itself on the first CreateObject and
 * keeps it until the process ends (on Qt's offscreen platform when the process has no
 * display and QT_QPA_PLATFORM is unset).
 *
 * ViewReportFile and PrintReportFile let the host's pending events run while they work;
 * a call made from those events while they run fails (the viewer is busy).
 *
 * Errors: ViewReportFile and PrintReportFile return 0 on success and -1 on failure;
 * CreateObject returns NULL on failure. After a failure, QrpLastError() gives the error's
 * message, the same text the viewer would show in its message box (for example
 * "Cannot open file "/tmp/x.qrp". No such file or directory"). Paths are UTF-8.
 *
 * Load the library with dlopen and find the functions with dlsym, or link it directly.
 */
#ifndef QRPVIEWER_H
#define QRPVIEWER_H

#ifdef __cplusplus
extern "C" {
#endif

#define QRPVIEWER_EXPORT __attribute__((visibility("default")))

/* The viewer window. A C++ host using Qt may treat it as the window's QWidget*. */
typedef struct QrpViewerWindow QrpViewerWindow;

/* Creates a new, hidden viewer window and makes it the window the other calls use. An
 * earlier window is not freed (it lives until the process ends) but is no longer used. */
QRPVIEWER_EXPORT QrpViewerWindow* CreateObject(void);

/* Frees the current window and forgets it. Returns 1 when that went without error (also
 * when there is no window), 0 when the window could not be freed: while a ViewReportFile
 * or PrintReportFile call is still running (called from the host's events it lets run). */
QRPVIEWER_EXPORT int DestroyObject(void);

/* Loads the report at path and shows it in the window, modally, in landscape when
 * landscape is non-zero and in portrait otherwise, captioned with the path and the page
 * count. Returns when the user has closed the window, which is hidden again and can be
 * shown by the next call. Fails (-1) without showing anything when the report cannot be
 * loaded, there is no window, or there is no display (a host without DISPLAY or
 * WAYLAND_DISPLAY can still create the window and print). */
QRPVIEWER_EXPORT int ViewReportFile(const char* path, int landscape);

/* Loads the report at path and prints every page on the printer selected for the whole
 * application, with its number of copies, in landscape when landscape is non-zero and in
 * portrait otherwise. Never shows the window. Returns when the job has been handed to
 * the print spooler. Fails (-1) when the report cannot be loaded, there is no window, no
 * printer is installed, or the printer refuses the job. */
QRPVIEWER_EXPORT int PrintReportFile(const char* path, int landscape);

/* The viewer program itself (what qrpview's main runs): shows the window, loading the
 * report named by argv[1] if there is one, and returns the exit status when it is closed.
 * Not for hosts that call the functions above. */
QRPVIEWER_EXPORT int QrpViewerMain(int argc, char** argv);

/* The message of the last failed call on this thread, or "" when the last call
 * succeeded. Valid until the next call into the library. */
QRPVIEWER_EXPORT const char* QrpLastError(void);

#ifdef __cplusplus
}
#endif

#endif /* QRPVIEWER_H */
