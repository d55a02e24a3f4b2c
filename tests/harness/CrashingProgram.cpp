// Dies of an access violation: the harness must report it as a failure at once.
int main()
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 0;
}
