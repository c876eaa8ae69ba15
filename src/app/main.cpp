#include "app/Application.h"

int main(int argc, char** argv)
{
    return pigmo::runApplication(argc, argv);
}
