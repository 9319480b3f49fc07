// A program that only carries a version resource: the update's stand-ins for
// installed and new files of known versions.
int main()
{
    return 0;
}
