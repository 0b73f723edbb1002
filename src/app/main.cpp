// qrpview [FILE]: the viewer program; all of it lives in libqrpviewer.
#include "qrpviewer.h"

int main(int argc, char** argv) {
    return QrpViewerMain(argc, argv);
}
