// korvel: processing river and terrain surveys.
int main(int argc, char** argv) { return 0; }
