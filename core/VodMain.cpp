#include <QApplication>

// Start-up of the station. Filled in step by step as the subsystems land.
int VodMain(int argc, char** argv)
{
    QApplication app(argc, argv);
    return 0;
}
