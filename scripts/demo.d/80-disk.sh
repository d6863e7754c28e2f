# Disks: the machine's logical disks as the library lists them (letters,
# type, media, file system, sizes), then the removable ones alone. Nothing
# is ever formatted here.
set -euo pipefail
"$ZELUTIL" disks
echo "removable disks only:"
"$ZELUTIL" disks --removable
