// Entry point of the station program.
int VodMain(int argc, char** argv);

int main(int argc, char** argv)
{
    return VodMain(argc, argv);
}
