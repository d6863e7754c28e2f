// Shared libraries are assembled from whole module archives.
