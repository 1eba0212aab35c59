#include "app/startup.h"

int main(int argc, char** argv) {
    return velcaro::runVelcaro(argc, argv);
}
