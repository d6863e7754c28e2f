# HTML: parse a page, change one attribute, show the element and that the
# rest of the file came back byte for byte.
set -euo pipefail
page="$WORK/page.html"
cat > "$page" <<'HTML'
<!DOCTYPE html>
<html>
<body>
  <!-- a list of links -->
  <ul class="links">
    <li><a href="https://example.org/a">first</a></li>
    <li><a href="https://example.org/b" title='kept as written'>second</a></li>
  </ul>
</body>
</html>
HTML
echo "links in the list: $("$ZELUTIL" html "$page" count html/body/ul li)"
echo "first link: $("$ZELUTIL" html "$page" attr html/body/ul/li/a href)"
echo "the second list item:"
"$ZELUTIL" html "$page" find html/body/ul/li 1
echo "setting class=\"visited\" on the first link:"
"$ZELUTIL" html "$page" set-attr html/body/ul/li/a class visited -o "$WORK/changed.html"
echo "what differs in the copy:"
diff "$page" "$WORK/changed.html" || true
