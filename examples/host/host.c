/*
 * A host program that shows or prints a report through libqrpviewer.so, loaded at run
 * time the way a host that does not link the viewer would do it.
 *
 *   qrpview-host [--print] [--landscape] [--library PATH] REPORT.qrp
 *
 * Exit status: 0 on success, 1 when a call failed (its message on stderr), 2 on a usage
 * error or when the library cannot be loaded.
 */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include "qrpviewer.h"

typedef QrpViewerWindow* (*CreateObjectFn)(void);
typedef int (*DestroyObjectFn)(void);
typedef int (*ReportFileFn)(const char*, int);
typedef const char* (*LastErrorFn)(void);

struct Viewer {
    CreateObjectFn create;
    DestroyObjectFn destroy;
    ReportFileFn view;
    ReportFileFn print;
    LastErrorFn lastError;
};

static int usage(void) {
    fprintf(stderr, "usage: qrpview-host [--print] [--landscape] [--library PATH] REPORT.qrp\n");
    return 2;
}

/* Finds every function; 0 when one is missing. */
static int bind(void* library, struct Viewer* viewer) {
    *(void**)&viewer->create = dlsym(library, "CreateObject");
    *(void**)&viewer->destroy = dlsym(library, "DestroyObject");
    *(void**)&viewer->view = dlsym(library, "ViewReportFile");
    *(void**)&viewer->print = dlsym(library, "PrintReportFile");
    *(void**)&viewer->lastError = dlsym(library, "QrpLastError");
    return viewer->create && viewer->destroy && viewer->view && viewer->print && viewer->lastError;
}

int main(int argc, char** argv) {
    const char* libraryPath = "libqrpviewer.so";
    const char* report = NULL;
    int print = 0, landscape = 0;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--print") == 0) {
            print = 1;
        } else if (strcmp(argv[i], "--landscape") == 0) {
            landscape = 1;
        } else if (strcmp(argv[i], "--library") == 0 && i + 1 < argc) {
            libraryPath = argv[++i];
        } else if (argv[i][0] == '-' || report) {
            return usage();
        } else {
            report = argv[i];
        }
    }
    if (!report)
        return usage();

    void* library = dlopen(libraryPath, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "qrpview-host: %s\n", dlerror());
        return 2;
    }
    struct Viewer viewer;
    if (!bind(library, &viewer)) {
        fprintf(stderr, "qrpview-host: %s is not the viewer library\n", libraryPath);
        dlclose(library);
        return 2;
    }

    int status = 0;
    if (!viewer.create()) {
        fprintf(stderr, "qrpview-host: %s\n", viewer.lastError());
        status = 1;
    } else {
        int result = print ? viewer.print(report, landscape) : viewer.view(report, landscape);
        if (result != 0) {
            fprintf(stderr, "qrpview-host: %s\n", viewer.lastError());
            status = 1;
        }
        viewer.destroy();
    }
    /* The library keeps the Qt application alive until exit, so it is not unloaded. */
    return status;
}
