# Filled in by the resource embedding (pages, images, icons, cursor, version record).
