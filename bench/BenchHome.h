#pragma once

#include <string>

/**
    A home folder of the benchmark's own, for as long as the object lives: HOME points at it, its
    stand-in registry names the simulated interface library, and the simulator attaches the models
    given (e.g. "Trovik"). The user settings may choose the advanced view before the main view is
    built. The folder is deleted again at the end.
*/
class BenchHome
{
public:
    explicit BenchHome (const char* simulatedDevices);
    ~BenchHome();

    BenchHome (const BenchHome&) = delete;
    BenchHome& operator= (const BenchHome&) = delete;

private:
    std::string folder;
};
