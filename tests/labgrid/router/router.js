// The WAMP router of the labgrid loopback test: fox-wamp, adapted where
// labgrid 0.4.1's coordinator, exporter and client count on crossbar's ways.
// It stands in for crossbar on 127.0.0.1 only; it is no router for a farm.
//
//   node router.js PORT      serves ws://127.0.0.1:PORT/ws, realm1; prints
//                            "listening PORT" once it takes connections.
//
// What differs from fox-wamp as shipped (0.7.28):
// - an EVENT, INVOCATION, RESULT or ERROR carries no null args or kwargs
//   (autobahn refuses "invalid type NoneType for 'kwargs'");
// - an INVOCATION discloses its caller (details.caller): the coordinator
//   knows its clients and exporters by the caller's session;
// - wamp.session.on_join carries the session's details as one positional
//   argument (session, authid, authrole, authmethod), on_leave the session
//   ID, as crossbar publishes them;
// - ticket authentication takes any ticket, as labgrid's own crossbar
//   configuration does, so that the session's authid is the one asked for.
'use strict'

const FoxRouter = require('fox-wamp')
const MSG = require('fox-wamp/lib/messages')
const WAMP = require('fox-wamp/lib/wamp/protocol')
const { WampSocketWriterContext } = require('fox-wamp/lib/wamp/gate')
const { BaseRealm } = require('fox-wamp/lib/realm')

// Where the args of each message kind sit (kwargs follow them).
const ARGS_AT = { [WAMP.EVENT]: 4, [WAMP.INVOCATION]: 4, [WAMP.RESULT]: 3, [WAMP.ERROR]: 5 }

const wampSend = WampSocketWriterContext.prototype.wampSend
WampSocketWriterContext.prototype.wampSend = function (msg, callback) {
  const at = ARGS_AT[msg[0]]
  if (at !== undefined) {
    while (msg.length > at && (msg[msg.length - 1] === null || msg[msg.length - 1] === undefined)) msg.pop()
    if (msg.length > at + 1 && (msg[at] === null || msg[at] === undefined)) msg[at] = []
  }
  return wampSend.call(this, msg, callback)
}

const cmdCallRpc = BaseRealm.prototype.cmdCallRpc
BaseRealm.prototype.cmdCallRpc = function (ctx, cmd) {
  cmd.opt = Object.assign({}, cmd.opt, { caller: ctx.getSession().sessionId })
  return cmdCallRpc.call(this, ctx, cmd)
}

const sendInvoke = WampSocketWriterContext.prototype.sendInvoke
WampSocketWriterContext.prototype.sendInvoke = function (cmd) {
  const send = this.wampSend
  this.wampSend = (msg, callback) => {
    if (cmd.opt && cmd.opt.caller !== undefined) msg[3] = Object.assign({}, msg[3], { caller: cmd.opt.caller })
    return send.call(this, msg, callback)
  }
  try {
    sendInvoke.call(this, cmd)
  } finally {
    delete this.wampSend
  }
}

const router = new FoxRouter()
router.on(MSG.REALM_CREATED, (realm) => {
  // In place of fox-wamp's own meta events (its arguments are keywords).
  realm.removeAllListeners(MSG.SESSION_JOIN)
  realm.removeAllListeners(MSG.SESSION_LEAVE)
  const api = realm.wampApi()
  realm.on(MSG.SESSION_JOIN, (session) => {
    const details = session.secureDetails || {}
    api.publish('wamp.session.on_join', [{
      session: session.getSid(),
      authid: details.authid || '',
      authrole: details.authrole || 'user',
      authmethod: session.getAuthMethod()
    }])
  })
  realm.on(MSG.SESSION_LEAVE, (session) => api.publish('wamp.session.on_leave', [session.getSid()]))
})

const anyTicket = {
  getAuthMethods: () => ['ticket'],
  ticket_auth: (realmName, details, ticket, extra, done) => done(undefined, { authid: details.authid })
}

const port = Number(process.argv[2])
if (!Number.isInteger(port) || port <= 0 || port > 65535) {
  console.error('usage: node router.js PORT')
  process.exit(2)
}
router.getRealm('realm1', () => {})
const server = router.listenWAMP({ host: '127.0.0.1', port, path: '/ws' }, anyTicket)
server.on('listening', () => console.log(`listening ${port}`))
server.on('error', (e) => {
  console.error(`router: ${e.message}`)
  process.exit(1)
})
for (const signal of ['SIGTERM', 'SIGINT']) process.on(signal, () => process.exit(0))
