// pluvo: the update tool for the scan tools: flashes packages of its update folder, with its pages around it.
#include "QuenlarkApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    CQuenlarkApp pluvo;
    pluvo.InitInstance();
    return 0;
}
