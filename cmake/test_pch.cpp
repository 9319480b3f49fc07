// Carries the precompiled headers of the test programs (cmake/Tess.cmake).
int main() { return 0; }
