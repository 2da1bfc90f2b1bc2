int pieceset_placeholder;
