// A program that only carries a version resource (VersionedProgram.rc).
int main()
{
    return 0;
}
