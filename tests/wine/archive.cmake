# Compress and decompress driven in the real program.
tovra_wine_test(archive_commands test_archive.py)
