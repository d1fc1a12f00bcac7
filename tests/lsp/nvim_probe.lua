-- Drives zolt lsp from Neovim's own client (0.7): waits for initialize, attaches the buffer
-- (didOpen), then prints one JSON line per request: definition at LINE/COL (1-based line,
-- 0-based byte column), workspace/symbol for QUERY, documentSymbol; a failure exits 1.
local function emit(label, value) io.stdout:write(label, ' ', vim.json.encode(value == nil and vim.NIL or value), '\n') end
local function fail(msg) io.stderr:write('nvim_probe: ', msg, '\n'); vim.cmd('cquit 1') end
local ok, err = pcall(function()
  local id = vim.lsp.start_client{
    name = 'zolt',
    cmd = {os.getenv('ZOLT'), 'lsp'},
    root_dir = os.getenv('LSP_ROOT'),
    get_language_id = function() return 'c' end,
  }
  if not id then return fail('server did not start') end
  local client = vim.lsp.get_client_by_id(id)
  if not vim.wait(5000, function() return client.initialized end, 10) then return fail('no initialize reply') end
  local buf = vim.api.nvim_get_current_buf()
  vim.lsp.buf_attach_client(buf, id)
  vim.api.nvim_win_set_cursor(0, {tonumber(os.getenv('LINE')), tonumber(os.getenv('COL'))})
  local requests = {
    {'definition', 'textDocument/definition', vim.lsp.util.make_position_params()},
    {'symbol', 'workspace/symbol', {query = os.getenv('QUERY')}},
    {'outline', 'textDocument/documentSymbol', {textDocument = vim.lsp.util.make_text_document_params()}},
  }
  for _, r in ipairs(requests) do
    local res, e = client.request_sync(r[2], r[3], 5000, buf)
    if not res then return fail(r[2] .. ': ' .. tostring(e)) end
    if res.err then return fail(r[2] .. ' error ' .. tostring(res.err.code)) end
    emit(r[1], res.result)
  end
  emit('encoding', client.server_capabilities.positionEncoding or client.resolved_capabilities and 'resolved')
end)
if not ok then fail(tostring(err)) end
vim.cmd('qa!')
